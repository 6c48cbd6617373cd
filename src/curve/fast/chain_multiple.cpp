#include "curve/fast/chain_multiple.h"

#include "curve/fast/canonical_multiple.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/literal/point_arith.h"

namespace vessa {
namespace {

EccPoint Stored(AffinePoint a) noexcept {
    return {static_cast<int64_t>(a.x), static_cast<int64_t>(a.y)};
}

// The chain's k-th point when the canonical k*B (`at`, finite) has a
// coordinate 0. Steps back from it to the last j whose canonical point is
// the point at infinity or has no coordinate 0, whose stored form is
// therefore known exactly, then adds B literally up to k. At most five
// points (two with x = 0, three with y = 0) have a coordinate 0, and B
// itself has none, so only a few steps are replayed.
EccPoint ReplayTail(const EccCurve &curve, uint64_t k, JacobianPoint at, AffinePoint base,
                    EccPoint b) noexcept {
    const AffinePoint minus_base = Negate(base);
    uint64_t j = k;
    EccPoint r = b;
    for (;;) {
        if (at.z == 0) {
            r = kInfinity;
            break;
        }
        const AffinePoint a = ToAffine(at);
        if (a.x != 0 && a.y != 0) {
            r = Stored(a);
            break;
        }
        at = AddMixed(at, minus_base);
        --j;
    }
    for (; j < k; ++j) {
        r = PointAdd(curve, r, b);
    }
    return r;
}

}  // namespace

EccPoint ChainMultiple(const EccCurve &curve, uint64_t k, AffinePoint base, EccPoint b,
                       const GroupTable *table) noexcept {
    const bool on_curve = OnCurve(base);
    if (table != nullptr && on_curve) {
        const uint32_t index = GroupTable::ProductIndex(k, table->IndexOf(base));
        if (index == 0) {
            return kInfinity;
        }
        const AffinePoint canonical = table->Multiple(index);
        if (canonical.x != 0) {  // no point of the curve has y = 0
            return Stored(canonical);
        }
        return ReplayTail(curve, k, ToJacobian(canonical), base, b);
    }
    if (!on_curve && k >= (uint64_t{1} << 62)) {
        // Beyond the ladder's range; only a hand-made curve record has an n
        // this large.
        return ScalarMultiplyReference(curve, static_cast<int64_t>(k), b);
    }
    const JacobianPoint multiple =
        on_curve ? CanonicalMultiple(k, base) : CanonicalPointMultiple(k, base);
    if (multiple.z == 0) {
        return kInfinity;
    }
    const AffinePoint canonical = ToAffine(multiple);
    if (canonical.x != 0 && canonical.y != 0) {
        return Stored(canonical);
    }
    return ReplayTail(curve, k, multiple, base, b);
}

}  // namespace vessa
