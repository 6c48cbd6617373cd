#include "curve/chain_end.h"

#include "curve/point_arith.h"

namespace vessa {
namespace {

using field::Element;

// Jacobian P + affine B with the slope's numerator and denominator kept:
// lambda = r / z3. Only for P finite with an x other than B's.
struct SlopedSum {
    JacobianPoint sum;
    Element r;  // the slope is r / sum.z
    Element h;  // sum.z = p.z * h
};

constexpr SlopedSum AddWithSlope(const JacobianPoint &p, AffinePoint b) noexcept {
    using namespace field;
    const Element z1z1 = Square(p.z);
    const Element h = Sub(Mul(b.x, z1z1), p.x);
    const Element r = Sub(Mul(b.y, Mul(p.z, z1z1)), p.y);
    const Element hh = Square(h);
    const Element hhh = Mul(h, hh);
    const Element v = Mul(p.x, hh);
    const Element x3 = Sub(Sub(Square(r), hhh), Add(v, v));
    const Element y3 = Sub(Mul(r, Sub(v, x3)), Mul(p.y, hhh));
    return {{x3, y3, Mul(p.z, h)}, r, h};
}

// The x that PointAdd stores for a sum with canonical slope `lambda` of
// operands whose stored x values are x1 and x2 and whose sum has the
// canonical x `x3`: ModReduce(lambda^2 - x1 - x2, p) gives p instead of 0
// when the difference is negative.
constexpr int64_t StoredX(Element lambda, int64_t x1, int64_t x2, Element x3) noexcept {
    const auto l = static_cast<int64_t>(lambda);
    return x3 == 0 && l * l - x1 - x2 < 0 ? kCurveP : static_cast<int64_t>(x3);
}

}  // namespace

// With C, D = C + B and E = D + B none of them the point at infinity and no
// two consecutive ones sharing an x, both additions take PointAdd's general
// slope. Its stored slope is then the canonical one: the product it reduces
// is a multiple of p only when dy = 0 (the y values lie in [1, p - 1]), and
// then it is 0, not negative. y values come out canonical (no curve point
// has y = 0). Only an x congruent to 0 depends on the operands'
// stored values, through the sign of lambda^2 - x1 - x2. Every other case
// is left to PointAdd itself.
EccPoint ChainEnd(const EccCurve &curve, const JacobianPoint &c, AffinePoint base,
                  EccPoint b) noexcept {
    using namespace field;
    // The exceptional cases, by the literal additions.
    const auto general_slopes = [&]() -> EccPoint {
        EccPoint c_point = kInfinity;
        if (c.z != 0) {
            const AffinePoint a = ToAffine(c);
            c_point = {static_cast<int64_t>(a.x), static_cast<int64_t>(a.y)};
        }
        return PointAdd(curve, PointAdd(curve, c_point, b), b);
    };
    if (c.z == 0) {
        return general_slopes();
    }
    const SlopedSum d = AddWithSlope(c, base);
    if (d.h == 0) {
        return general_slopes();
    }
    const SlopedSum e = AddWithSlope(d.sum, base);
    if (e.h == 0) {
        return general_slopes();
    }
    // One inversion: 1/z(E), then 1/z(D) = h(E)/z(E) and 1/z(C) = h(D)/z(D).
    const Element e_zinv = Inverse(e.sum.z);
    const Element d_zinv = Mul(e_zinv, e.h);
    const Element c_zinv = Mul(d_zinv, d.h);
    const Element c_x = Mul(c.x, Square(c_zinv));
    const Element d_x = Mul(d.sum.x, Square(d_zinv));
    const Element e_zinv2 = Square(e_zinv);
    const Element e_x = Mul(e.sum.x, e_zinv2);
    const Element e_y = Mul(e.sum.y, Mul(e_zinv2, e_zinv));
    const Element d_lambda = Mul(d.r, d_zinv);
    const Element e_lambda = Mul(e.r, e_zinv);
    const int64_t d_x_stored = StoredX(d_lambda, static_cast<int64_t>(c_x), b.x, d_x);
    return {StoredX(e_lambda, d_x_stored, b.x, e_x), static_cast<int64_t>(e_y)};
}

}  // namespace vessa
