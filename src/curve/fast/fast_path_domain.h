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
// A coordinate stored as 0 or p (both in [0, p]; zero_coordinate_chain.cpp).
// Now a stored 0 and a stored p stand for the same residue, and PointAdd
// inverts 0, p and 2p to 0: the chain leaves the group law exactly where
// the argument above used that B's x or y is not 0. Write B = (x, y) in
// residues, on y^2 = x^3 + x + b' where B has order N, and label a chain
// point c when it is congruent to c*B.
//  - A step from a point labelled c with c*B finite and c*B != +-B is a
//    step of the group law, as above: the stored x values differ modulo p,
//    so |dx| is invertible. Only c = 0, 1, N - 1 (mod N) are special.
//  - y = 0 (B of order 2; x not 0, or x = 0 too). Doubling B inverts 0 or
//    2p: slope 0, and B + B is (-2x, y as stored): B itself when x = 0 as
//    well (then the chain is B, B, ...). Otherwise that
//    point is off B's curve, its x differs from B's (3x != 0) and the next
//    step, with dy = 0, gives B again as stored: period 2.
//  - x = 0, y not 0. The only points with x = 0 are +-B. At a point
//    congruent to +-B whose stored x equals B's the step is the group
//    law's (doubling, or the point at infinity for -B); where the stored x
//    is the other of 0 and p, dx = +-p, the slope is 0 and the result is
//    congruent to minus that point: -B or B, labelled again.
// So the chain is the group law between the points labelled 0, 1 and N - 1
// (and, for y = 0, one point off the law). Those are taken by literal
// additions, from the point before them, whose stored form is its residues
// (a point of order 2, with y stored as 0 or p, is stepped over from the
// point before it). There are at most five of them: the stored forms
// (0 or p, +-y) and (-1, -1), or B and (-2x, y). The chain is a function of
// its stored point, so once one of them recurs the chain is periodic from
// there and k is reduced by the period. N comes from Hasse's bound: some m
// in p + 1 +- 2 sqrt(p) has m*B at infinity, and N divides it.
//
// Every other input (another a or p, a coordinate outside [0, p]) takes
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
