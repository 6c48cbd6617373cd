#include "curve/chain_multiple.h"

#include "curve/canonical_multiple.h"
#include "curve/chain_end.h"
#include "curve/point_arith.h"

namespace vessa {

EccPoint ChainMultiple(const EccCurve &curve, uint64_t k, AffinePoint base, EccPoint b,
                       const GroupTable *table) noexcept {
    AffinePoint canonical{};
    if (table != nullptr) {
        const uint32_t index = GroupTable::ProductIndex(k, table->IndexOf(base));
        if (index == 0) {
            return kInfinity;
        }
        canonical = table->Multiple(index);
    } else {
        const JacobianPoint multiple = CanonicalMultiple(k, base);
        if (multiple.z == 0) {
            return kInfinity;
        }
        canonical = ToAffine(multiple);
    }
    if (canonical.x != 0) {
        return {static_cast<int64_t>(canonical.x), static_cast<int64_t>(canonical.y)};
    }
    return ChainEnd(curve, CanonicalMultiple(k - 2, base), base, b);
}

}  // namespace vessa
