// The inputs on which the fast arithmetic provably gives the literal
// chain's results.
//
// Take the fixed curve (a and p as ecc_new stores them) and a base point B
// with 1 <= x, y <= p - 1. B lies on the curve y^2 = x^3 + x + b' for one
// b' of the field (b' = 1 for the library's own curve), and the addition
// formulas never read b: so the chain B, B + B, ... is to be compared with
// the group law of that curve, whose canonical multiples have coordinates
// in [0, p - 1].
//
// Claim: every point of the chain is congruent, coordinate by coordinate,
// to the canonical multiple, and is (-1, -1) exactly where that multiple is
// the point at infinity. By induction over the chain: the first point is B.
// The step from a point P congruent to j*B adds B:
//  - P = (-1, -1) gives B, which is (j + 1)*B.
//  - P's stored x equal to B's (so j*B = +-B, as B's x is not 0 and hence
//    stored exactly): with equal y it is the doubling of B, whose y is not
//    0, with the tangent slope; otherwise j*B = -B and the result is
//    (-1, -1), the point at infinity, as it should be.
//  - Otherwise the x values differ modulo p too (a stored p only stands for
//    0, and B's x is not 0), so |dx| is invertible and the general slope is
//    congruent to the canonical one, whatever the signs.
// Each new coordinate is ModReduce of a value congruent to the canonical
// one, so it lies in [0, p]: the canonical residue, except that a residue 0
// is stored as p when the value reduced was negative.
//
// Hence the chain's k-th point is the canonical k*B wherever k*B has no
// coordinate 0, and the point at infinity is stored as (-1, -1). On the
// library's curve no point has y = 0 (its order is odd), and only (0, 1)
// and (0, p - 1) have x = 0. For the few multiples with a coordinate 0 the
// chain is replayed with literal additions from the last point before it
// that is known exactly (see chain_multiple.cpp).
//
// Every other input (another a or p, a coordinate outside [1, p - 1]) takes
// the literal chain.
#pragma once

#include "curve/curve_params.h"
#include "curve/fast/jacobian_point.h"
#include "vessa.h"

namespace vessa {

constexpr bool IsFixedCurve(const EccCurve &curve) noexcept {
    return curve.a == kCurveA && curve.p == kCurveP;
}

// True, with `out` set, when `curve` is the fixed curve and `b` has both
// coordinates in [1, p - 1], on the curve or off it.
constexpr bool ToFastBase(const EccCurve &curve, EccPoint b, AffinePoint &out) noexcept {
    if (!IsFixedCurve(curve) || b.x < 1 || b.x >= kCurveP || b.y < 1 || b.y >= kCurveP) {
        return false;
    }
    out = AffinePoint{static_cast<field::Element>(b.x), static_cast<field::Element>(b.y)};
    return true;
}

// True for a point of the fixed curve itself.
constexpr bool OnCurve(AffinePoint a) noexcept {
    return field::Square(a.y) == field::CurveRhs(a.x);
}

// ToFastBase, for points of the library's curve only.
constexpr bool ToFastCurvePoint(const EccCurve &curve, EccPoint b, AffinePoint &out) noexcept {
    return ToFastBase(curve, b, out) && OnCurve(out);
}

}  // namespace vessa
