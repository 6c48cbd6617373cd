// Exported curve-context and point functions.
#include <cstdlib>

#include "curve/curve_params.h"
#include "vessa.h"

extern "C" {

EccCurve *ecc_new(void) noexcept {
    auto *curve = static_cast<EccCurve *>(std::malloc(sizeof(EccCurve)));
    if (curve == nullptr) {
        return nullptr;
    }
    // The order is counted on a copy whose n is 0; the count never reads n.
    EccCurve params{vessa::kCurveA, vessa::kCurveB, vessa::kCurveP, vessa::kCurveH, 0,
                    vessa::kBasePoint};
    params.n = vessa::CountBasePointOrder(params);
    *curve = params;
    return curve;
}

void ecc_destroy(EccCurve *curve) noexcept { std::free(curve); }

EccPoint point_new(int64_t x, int64_t y) noexcept { return EccPoint{x, y}; }

int64_t point_get_x(const EccPoint *p) noexcept { return p->x; }

int64_t point_get_y(const EccPoint *p) noexcept { return p->y; }

}  // extern "C"
