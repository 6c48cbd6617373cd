// The one place where the literal arithmetic (curve/literal/, the
// definition) and the fast arithmetic (curve/fast/, the method; the proof
// that they agree is in fast/fast_path_domain.h) meet: ScalarMultiply and
// the order count of ecc_new take the fast path for the inputs it covers,
// unless the calling thread has forced the reference arithmetic.
// (ModInverse is routed in mod_inverse.cpp.)
#include "curve/curve_params.h"
#include "curve/dispatch/arithmetic_mode.h"
#include "curve/fast/chain_multiple.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/fast/order_count.h"
#include "curve/literal/guarded_division.h"
#include "curve/literal/modular.h"
#include "curve/literal/point_arith.h"

namespace vessa {

EccPoint ScalarMultiply(const EccCurve &curve, int64_t k, EccPoint b) noexcept {
    AffinePoint base{};
    if (ReferenceArithmeticForced() || !ToFastBase(curve, b, base)) {
        return ScalarMultiplyReference(curve, k, b);
    }
    if (k > curve.n) {
        k = GuardedRem(k, curve.n);
    }
    if (k < 2) {
        return b;
    }
    return ChainMultiple(curve, static_cast<uint64_t>(k), base, b, ReadyGroupTable());
}


int64_t CountBasePointOrder(const EccCurve &curve) noexcept {
    AffinePoint g{};
    if (ReferenceArithmeticForced() || !ToFastCurvePoint(curve, curve.g, g)) {
        return CountBasePointOrderReference(curve);
    }
    return CountOrderBySegments(g);
}

}  // namespace vessa
