// The parameters of the library's one curve.
#pragma once

#include <cstdint>

#include "vessa.h"

namespace vessa {

inline constexpr int64_t kCurveA = 1;
inline constexpr int64_t kCurveB = 1;
inline constexpr int64_t kCurveP = 99991;
inline constexpr int64_t kCurveH = 1;
inline constexpr int64_t kCurveOrder = 99919;  // as ecc_new counts it
inline constexpr EccPoint kBasePoint{2617, 5304};

// The order of G counted by stepping the chain G, 2G, ... until its x is -1.
// `curve` supplies a, p and g (n is not read). The literal loop, one
// addition at a time.
int64_t CountBasePointOrderReference(const EccCurve &curve) noexcept;

// The same count; for the fixed curve and a base point on it, the chain is
// stepped in segments side by side (see order_count.h).
int64_t CountBasePointOrder(const EccCurve &curve) noexcept;

}  // namespace vessa
