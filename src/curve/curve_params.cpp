#include "curve/curve_params.h"

#include "curve/arithmetic_mode.h"
#include "curve/fast_path_domain.h"
#include "curve/order_count.h"
#include "curve/point_arith.h"

namespace vessa {

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

int64_t CountBasePointOrder(const EccCurve &curve) noexcept {
    AffinePoint g{};
    if (ReferenceArithmeticForced() || !ToFastCurvePoint(curve, curve.g, g)) {
        return CountBasePointOrderReference(curve);
    }
    return CountOrderBySegments(g);
}

}  // namespace vessa
