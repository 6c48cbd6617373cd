// Routing of ScalarMultiply and ModInverse between the fast exact arithmetic
// and the literal reference definitions.
#include "curve/arithmetic_mode.h"
#include "curve/chain_multiple.h"
#include "curve/fast_path_domain.h"
#include "curve/guarded_division.h"
#include "curve/modular.h"
#include "curve/point_arith.h"

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

int64_t ModInverse(int64_t v, int64_t m) noexcept {
    // For the curve prime and 1 <= v <= 2p, the extended Euclid's
    // coefficient, lifted into [0, m), is the canonical inverse of v (0 for
    // v = p and 2p).
    if (m == kCurveP && v >= 1 && v <= 2 * kCurveP && !ReferenceArithmeticForced()) {
        return static_cast<int64_t>(field::Inverse(field::Reduce(static_cast<uint64_t>(v))));
    }
    return ModInverseReference(v, m);
}

}  // namespace vessa
