#include "signature/nonce_redraw.h"

#include <limits>

#include "curve/literal/guarded_division.h"

namespace vessa {

bool NeedsNonceRedraw(const EccCurve &curve, EccPoint r, int32_t s, int32_t e) noexcept {
    const int64_t n = curve.n;
    if (e == 0 || e == std::numeric_limits<int32_t>::min()) {
        return true;
    }
    if (e > n && GuardedRem(e, n) == 0) {
        return true;
    }
    const int64_t s_residue = GuardedRem(s, n);
    if (s_residue == 0) {
        return true;
    }
    for (const int64_t zero_x_scalar : kScalarsWithZeroX) {
        if (s_residue == zero_x_scalar) {
            return true;
        }
    }
    return GuardedRem(r.x, curve.p) == 0;
}

}  // namespace vessa
