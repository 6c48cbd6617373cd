#include "keyinfo/public_key_check.h"

#include "curve/literal/guarded_division.h"
#include "curve/literal/int64_arith.h"

namespace vessa {

bool IsStoredCurvePoint(const EccCurve &curve, EccPoint q) noexcept {
    const int64_t p = curve.p;
    if (p <= 0 || q.x < 0 || q.x > p || q.y < 0 || q.y >= p) {
        return false;
    }
    // Both coordinates are below p, so each product of two residues stays
    // far inside 64 bits for the library's p; wrapping keeps a hand-made
    // curve record free of undefined behaviour all the same.
    const int64_t x = GuardedRem(q.x, p);
    const int64_t x_squared = GuardedRem(WrappingMul(x, x), p);
    const int64_t x_cubed = GuardedRem(WrappingMul(x_squared, x), p);
    const int64_t ax = GuardedRem(WrappingMul(GuardedRem(curve.a, p), x), p);
    const int64_t b = GuardedRem(curve.b, p);
    const int64_t rhs = GuardedRem(WrappingAdd(WrappingAdd(x_cubed, ax), b), p);
    const int64_t lhs = GuardedRem(WrappingMul(q.y, q.y), p);
    return GuardedRem(WrappingSub(lhs, rhs), p) == 0;
}

}  // namespace vessa
