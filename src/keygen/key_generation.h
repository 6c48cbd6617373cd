// Drawing private scalars and deriving public points.
#pragma once

#include <cstdint>

#include "curve/literal/guarded_division.h"
#include "curve/literal/point_arith.h"
#include "random/random_range.h"
#include "vessa.h"

namespace vessa {

// d from [n/7, n) (truncating division), one signed 64-bit draw: on the
// library's curve 14274 <= d <= 99918.
template <WordSource Source>
int64_t DrawPrivateScalar(Source &source, const EccCurve &curve) noexcept {
    return RandomRange(source, GuardedDiv(curve.n, 7), curve.n);
}

// d*G exactly as ScalarMultiply gives it: d < 2 yields G, d > n is reduced
// modulo n, d == n yields the point at infinity. d is not range-checked.
inline EccPoint DerivePublicKey(const EccCurve &curve, int64_t d) noexcept {
    return ScalarMultiply(curve, d, curve.g);
}

}  // namespace vessa
