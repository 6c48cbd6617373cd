// Curve points with canonical residue coordinates: affine, and Jacobian
// (X / Z^2, Y / Z^3), whose additions need no inversion.
//
// This is the textbook group law, used to find the canonical multiple that
// the exact chain then finishes (see fast_path_domain.h). The formulas are
// complete for the group: every exceptional case (the point at infinity,
// equal or opposite operands) is tested explicitly. The formulas never read
// the curve's constant term, so they serve points of y^2 = x^3 + x + b' as
// well; a doubling of a point with y = 0 (none lies on the library's curve,
// whose order is odd) gives z = 0, the point at infinity, as it should.
#pragma once

#include "curve/fast/prime_field.h"

namespace vessa {

// A finite curve point; both coordinates in [0, p).
struct AffinePoint {
    field::Element x;
    field::Element y;
};

// z == 0 is the point at infinity.
struct JacobianPoint {
    field::Element x;
    field::Element y;
    field::Element z;
};

inline constexpr JacobianPoint kJacobianInfinity{1, 1, 0};

constexpr JacobianPoint ToJacobian(AffinePoint p) noexcept { return {p.x, p.y, 1}; }

constexpr AffinePoint Negate(AffinePoint p) noexcept { return {p.x, field::Neg(p.y)}; }

// 2P, for a = kCurveA: 1M + 8S.
constexpr JacobianPoint Double(const JacobianPoint &p) noexcept {
    using namespace field;
    const Element xx = Square(p.x);
    const Element yy = Square(p.y);
    const Element yyyy = Square(yy);
    const Element zz = Square(p.z);
    const Element half_s = Sub(Sub(Square(Add(p.x, yy)), xx), yyyy);
    const Element s = Add(half_s, half_s);
    const Element m =
        Add(Add(Add(xx, xx), xx), Mul(Reduce(static_cast<uint64_t>(kCurveA)), Square(zz)));
    const Element t = Sub(Square(m), Add(s, s));
    const Element yyyy8 = Reduce(8 * yyyy);
    return {t, Sub(Mul(m, Sub(s, t)), yyyy8), Sub(Sub(Square(Add(p.y, p.z)), yy), zz)};
}

// P + Q for an affine Q: 8M + 3S in the general case.
constexpr JacobianPoint AddMixed(const JacobianPoint &p, AffinePoint q) noexcept {
    using namespace field;
    if (p.z == 0) {
        return ToJacobian(q);
    }
    const Element z1z1 = Square(p.z);
    const Element u2 = Mul(q.x, z1z1);
    const Element s2 = Mul(q.y, Mul(p.z, z1z1));
    const Element h = Sub(u2, p.x);
    const Element r = Sub(s2, p.y);
    if (h == 0) {
        return r == 0 ? Double(p) : kJacobianInfinity;
    }
    const Element hh = Square(h);
    const Element hhh = Mul(h, hh);
    const Element v = Mul(p.x, hh);
    const Element x3 = Sub(Sub(Square(r), hhh), Add(v, v));
    const Element y3 = Sub(Mul(r, Sub(v, x3)), Mul(p.y, hhh));
    return {x3, y3, Mul(p.z, h)};
}

// The affine form of a finite point (p.z != 0).
constexpr AffinePoint ToAffine(const JacobianPoint &p) noexcept {
    using namespace field;
    const Element zinv = Inverse(p.z);
    const Element zinv2 = Square(zinv);
    return {Mul(p.x, zinv2), Mul(p.y, Mul(zinv2, zinv))};
}

}  // namespace vessa
