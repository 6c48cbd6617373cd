// The inputs on which the fast arithmetic provably gives the literal
// chain's results.
//
// For the fixed curve (a and p as ecc_new stores them) and a base point B
// with 1 <= x, y <= p - 1 on the curve, every point of the chain B, B + B,
// ... is congruent to the group multiple, with coordinates in [0, p - 1],
// except that an x congruent to 0 may be stored as p. Such a stored p only
// changes the next step through the representation of an x congruent to 0,
// and three consecutive multiples never all have x = 0. So the last two
// additions of the chain, applied to the canonical multiple (k - 2)*B, give
// the chain's exact k*B. Every other input takes the literal chain.
#pragma once

#include "curve/curve_params.h"
#include "curve/jacobian_point.h"
#include "vessa.h"

namespace vessa {

constexpr bool IsFixedCurve(const EccCurve &curve) noexcept {
    return curve.a == kCurveA && curve.p == kCurveP;
}

// True, with `out` set, when `b` is a curve point with both coordinates in
// [1, p - 1] and `curve` is the fixed curve.
constexpr bool ToFastBase(const EccCurve &curve, EccPoint b, AffinePoint &out) noexcept {
    if (!IsFixedCurve(curve) || b.x < 1 || b.x >= kCurveP || b.y < 1 || b.y >= kCurveP) {
        return false;
    }
    const AffinePoint a{static_cast<field::Element>(b.x), static_cast<field::Element>(b.y)};
    if (field::Square(a.y) != field::CurveRhs(a.x)) {
        return false;
    }
    out = a;
    return true;
}

}  // namespace vessa
