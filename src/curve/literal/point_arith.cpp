#include "curve/literal/point_arith.h"

#include "curve/literal/guarded_division.h"
#include "curve/literal/int64_arith.h"
#include "curve/literal/modular.h"

namespace vessa {

EccPoint PointAdd(const EccCurve &curve, EccPoint p, EccPoint q) noexcept {
    if (IsInfinity(p)) {
        return q;
    }
    if (IsInfinity(q)) {
        return p;
    }
    const int64_t m = curve.p;
    int64_t lambda = 0;
    if (p.x == q.x) {
        if (p.y != q.y) {
            return kInfinity;
        }
        // Doubling: (3 x^2 + a) / (2 y).
        const int64_t numerator = WrappingAdd(WrappingMul(3, WrappingMul(p.x, p.x)), curve.a);
        lambda = ModReduce(WrappingMul(numerator, ModInverse(WrappingMul(2, p.y), m)), m);
    } else {
        // General slope dy / dx, formed as sign * |dy| * inverse(|dx|), so the
        // inverse is always taken of a magnitude.
        const int64_t dy = WrappingSub(q.y, p.y);
        const int64_t dx = WrappingSub(q.x, p.x);
        const bool negative = (dx < 0) != (dy < 0);
        const int64_t signed_dy = negative ? WrappingNeg(WrappingAbs(dy)) : WrappingAbs(dy);
        lambda = ModReduce(WrappingMul(signed_dy, ModInverse(WrappingAbs(dx), m)), m);
    }
    const int64_t x3 = ModReduce(WrappingSub(WrappingSub(WrappingMul(lambda, lambda), p.x), q.x), m);
    const int64_t y3 = ModReduce(WrappingSub(WrappingMul(lambda, WrappingSub(p.x, x3)), p.y), m);
    return {x3, y3};
}

EccPoint ScalarMultiplyReference(const EccCurve &curve, int64_t k, EccPoint b) noexcept {
    if (k > curve.n) {
        k = GuardedRem(k, curve.n);
    }
    if (k < 2) {
        return b;
    }
    EccPoint r = b;
    for (int64_t i = 1; i < k; ++i) {
        r = PointAdd(curve, r, b);
    }
    return r;
}


int64_t CountBasePointOrderReference(const EccCurve &curve) noexcept {
    // Only x is tested: the chain reaches (-1, -1) exactly at n*G.
    EccPoint r = PointAdd(curve, curve.g, curve.g);
    int64_t count = 2;
    while (r.x != -1) {
        ++count;
        r = PointAdd(curve, r, curve.g);
    }
    return count;
}

}  // namespace vessa
