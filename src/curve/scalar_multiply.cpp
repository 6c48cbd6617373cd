#include "curve/modular.h"
#include "curve/point_arith.h"

namespace vessa {

// Dispatch points for the fast exact arithmetic; until it covers an input,
// the reference definitions give the result.
EccPoint ScalarMultiply(const EccCurve &curve, int64_t k, EccPoint b) noexcept {
    return ScalarMultiplyReference(curve, k, b);
}

int64_t ModInverse(int64_t v, int64_t m) noexcept { return ModInverseReference(v, m); }

}  // namespace vessa
