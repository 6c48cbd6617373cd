#include "curve/curve_params.h"

#include "curve/point_arith.h"

namespace vessa {

int64_t CountBasePointOrder(const EccCurve &curve) noexcept {
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
