#include "curve/lane_multiples.h"

#include <bit>
#include <cfloat>

#include "curve/curve_params.h"
#include "support/secure_wipe.h"
#include "support/target_region.h"

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace vessa {
namespace {

constexpr double kPd = static_cast<double>(kCurveP);
constexpr double kPinv = 1.0 / kPd;
constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52

// The rounding trick needs every double operation rounded to double.
#if defined(__FAST_MATH__) || !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
constexpr bool kExactDoubles = false;
#else
constexpr bool kExactDoubles = true;
#endif

#if VESSA_HAVE_TARGET_REGIONS
VESSA_TARGET_AVX512
namespace avx512 {
#define VESSA_VECTOR_BYTES 64
#include "curve/lane_multiples_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx512
VESSA_TARGET_END

VESSA_TARGET_AVX2
namespace avx2 {
#define VESSA_VECTOR_BYTES 32
#include "curve/lane_multiples_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx2
VESSA_TARGET_END
#endif

namespace portable {
#define VESSA_VECTOR_BYTES 16
#include "curve/lane_multiples_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace portable

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
