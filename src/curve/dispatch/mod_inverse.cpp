// Routing of ModInverse between the field inverse and the literal extended
// Euclid. PointAdd, the literal definition, calls it; it calls nothing that
// leads back to PointAdd.
#include "curve/curve_params.h"
#include "curve/dispatch/arithmetic_mode.h"
#include "curve/fast/prime_field.h"
#include "curve/literal/modular.h"

namespace vessa {

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
