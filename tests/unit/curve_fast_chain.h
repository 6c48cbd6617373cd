// The literal chain B, B + B, ... as the oracle of the fast-arithmetic
// tests: one walk gives the reference k*B for every k at once.
#pragma once

#include <cstdint>
#include <vector>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/curve_params.h"
#include "curve/literal/point_arith.h"
#include "vessa.h"

namespace vessa::fast_test {

inline constexpr EccCurve kCurve{kCurveA, kCurveB, kCurveP, kCurveH, kCurveOrder, kBasePoint};

inline bool Same(EccPoint a, EccPoint b) { return a.x == b.x && a.y == b.y; }

// chain[i] for 1 <= i <= length: B followed by i - 1 additions of B, made
// with the reference arithmetic throughout (chain[0] is unused).
inline std::vector<EccPoint> LiteralChain(const EccCurve &curve, EccPoint b, int64_t length) {
    const ScopedReferenceArithmetic reference;
    std::vector<EccPoint> chain(static_cast<size_t>(length) + 1, kInfinity);
    chain[1] = b;
    for (size_t i = 2; i < chain.size(); ++i) {
        chain[i] = PointAdd(curve, chain[i - 1], b);
    }
    return chain;
}

// The reference k*B read off a chain of length >= min(n, k): the scalar
// rules (reduction above n, B below 2) applied to the chain's index.
inline EccPoint FromChain(const std::vector<EccPoint> &chain, int64_t n, int64_t k) {
    if (k > n) {
        k %= n;
    }
    return k < 2 ? chain[1] : chain[static_cast<size_t>(k)];
}

}  // namespace vessa::fast_test
