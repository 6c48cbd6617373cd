#include "curve/fast/lane_multiples.h"

#include <bit>

#include "curve/curve_params.h"
#include "curve/fast/double_residues.h"
#include "support/secure_wipe.h"
#include "support/target_region.h"

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace vessa {
namespace {

using namespace double_residues;

#define VESSA_KERNEL_FILE "curve/fast/lane_multiples_kernel.inc"
#include "support/vector_forms.inc"
#undef VESSA_KERNEL_FILE

field::Element Canonical(double v) noexcept {
    const auto i = static_cast<int64_t>(v) % kCurveP;
    return static_cast<field::Element>(i < 0 ? i + kCurveP : i);
}

}  // namespace

void LaneMultipleXs(uint64_t m, const AffinePoint *points, size_t count, int64_t *xs,
                    VectorLevel level) noexcept {
    if (count == 0) {
        return;
    }
    if (!kExactDoubles || m < 2 || m >= kLaneScalarLimit || count > kLaneBatch) {
        for (size_t i = 0; i < count; ++i) {
            xs[i] = kLaneNotComputed;
        }
        return;
    }
    double bx[kLaneBatch];
    double by[kLaneBatch];
    for (size_t i = 0; i < kLaneBatch; ++i) {
        // Unused lanes repeat the first point.
        const AffinePoint b = points[i < count ? i : 0];
        bx[i] = static_cast<double>(b.x);
        by[i] = static_cast<double>(b.y);
    }
    double lane_x[kLaneBatch];
    double lane_z[kLaneBatch];
    bool lane_bad[kLaneBatch];
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: avx512::RunLadder(m, bx, by, lane_x, lane_z, lane_bad); break;
        case VectorLevel::kAvx2: avx2::RunLadder(m, bx, by, lane_x, lane_z, lane_bad); break;
#endif
        default: portable::RunLadder(m, bx, by, lane_x, lane_z, lane_bad); break;
    }
    // x = X / Z^2 with one inversion for all lanes (Montgomery's trick).
    using namespace field;
    Element z[kLaneBatch];
    Element prefix[kLaneBatch];
    Element running = 1;
    for (size_t i = 0; i < count; ++i) {
        z[i] = lane_bad[i] ? 1 : Canonical(lane_z[i]);
        prefix[i] = running;
        running = Mul(running, z[i]);
    }
    Element inverse = Inverse(running);
    for (size_t i = count; i-- > 0;) {
        const Element z_inverse = Mul(inverse, prefix[i]);
        inverse = Mul(inverse, z[i]);
        if (lane_bad[i]) {
            xs[i] = kLaneNotComputed;
        } else {
            const Element x = Canonical(lane_x[i]);
            xs[i] = static_cast<int64_t>(Mul(x, Square(z_inverse)));
        }
    }
    // The lanes hold multiples of the points by a private scalar.
    SecureWipeObject(lane_x);
    SecureWipeObject(lane_z);
    SecureWipeObject(z);
    SecureWipeObject(prefix);
}

}  // namespace vessa
