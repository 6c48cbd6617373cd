#include "curve/fast/order_count.h"

#include <array>
#include <bit>
#include <cstddef>

#include "curve/fast/canonical_multiple.h"
#include "curve/curve_params.h"
#include "curve/fast/double_residues.h"
#include "support/target_region.h"

namespace vessa {
namespace {

// The segments' arithmetic in double precision (see double_residues.h):
// residues of magnitude below 5p, products below 2^40.
using namespace double_residues;

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#define VESSA_KERNEL_FILE "curve/fast/order_count_kernel.inc"
#include "support/vector_forms.inc"
#undef VESSA_KERNEL_FILE

// Segments stepped side by side by the form of `level`.
int64_t SegmentsOf(VectorLevel level) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: return avx512::kSegments;
        case VectorLevel::kAvx2: return avx2::kSegments;
#endif
        default: return portable::kSegments;
    }
}

void StepAll(VectorLevel level, const double *x, const double *y, double gx, double gy,
             int64_t steps, int64_t *first_step) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: avx512::Step(x, y, gx, gy, steps, first_step); break;
        case VectorLevel::kAvx2: avx2::Step(x, y, gx, gy, steps, first_step); break;
#endif
        default: portable::Step(x, y, gx, gy, steps, first_step); break;
    }
}

// The starts (2 + j*length)*G of `segments` segments, in Jacobian form:
// sixteen of them in logarithmic time, the rest by adding length*G along
// sixteen independent runs. False when length*G is the point at infinity.
bool SegmentStarts(AffinePoint g, JacobianPoint two_g, int64_t segments, int64_t length,
                   JacobianPoint *starts) noexcept {
    const JacobianPoint stride = CanonicalMultiple(static_cast<uint64_t>(length), g);
    if (stride.z == 0) {
        return false;
    }
    const AffinePoint stride_affine = ToAffine(stride);
    constexpr int64_t kRuns = 16;
    const int64_t per_run = (segments + kRuns - 1) / kRuns;
    for (int64_t run = 0; run < kRuns && run * per_run < segments; ++run) {
        const int64_t j = run * per_run;
        starts[j] = j == 0 ? two_g : CanonicalMultiple(static_cast<uint64_t>(2 + j * length), g);
    }
    for (int64_t i = 1; i < per_run; ++i) {
        for (int64_t run = 0; run < kRuns; ++run) {
            const int64_t j = run * per_run + i;
            if (j < segments) {
                starts[j] = AddMixed(starts[j - 1], stride_affine);
            }
        }
    }
    return true;
}

// The affine forms of the starts, by one field inversion (Montgomery's
// trick). A start at the point at infinity lies beyond the count (see the
// caller); its lane gets an arbitrary point.
void ToAffineStarts(const JacobianPoint *starts, int64_t segments, double *x,
                    double *y) noexcept {
    using namespace field;
    std::array<Element, kMaxOrderCountSegments> prefix{};
    Element running = 1;
    for (int64_t j = 0; j < segments; ++j) {
        const auto i = static_cast<size_t>(j);
        prefix[i] = running;
        running = Mul(running, starts[i].z == 0 ? 1 : starts[i].z);
    }
    Element inverse = Inverse(running);
    for (int64_t j = segments; j-- > 0;) {
        const auto i = static_cast<size_t>(j);
        const Element z = starts[i].z == 0 ? 1 : starts[i].z;
        const Element zinv = Mul(inverse, prefix[i]);
        inverse = Mul(inverse, z);
        const Element zinv2 = Square(zinv);
        x[i] = static_cast<double>(Mul(starts[i].x, zinv2));
        y[i] = static_cast<double>(Mul(starts[i].y, Mul(zinv2, zinv)));
    }
}

double ToDouble(field::Element e) noexcept { return static_cast<double>(e); }


}  // namespace

int64_t CountOrderSequentially(AffinePoint g) noexcept {
    JacobianPoint r = AddMixed(ToJacobian(g), g);
    int64_t count = 2;
    while (r.z != 0) {
        r = AddMixed(r, g);
        ++count;
    }
    return count;
}

int64_t CountOrderBySegments(AffinePoint g, VectorLevel level) noexcept {
    if (!kExactDoubles) {
        return CountOrderSequentially(g);
    }
    // The literal loop's first point, 2G, by one addition, and its test.
    const JacobianPoint two_g = AddMixed(ToJacobian(g), g);
    if (two_g.z == 0) {
        return 2;
    }
    // Segment j covers indices 3 + j*len ... 2 + (j+1)*len, stepping from
    // (2 + j*len)*G; together they cover every index up to the order the
    // curve is known to have. Every start but 2G lies strictly between G
    // and the first point at infinity, or beyond it; so no segment meets G
    // before that point, and the first z = 0 found is the count.
    const int64_t segments = SegmentsOf(level);
    const int64_t length = (kCurveOrder - 2 + segments - 1) / segments;
    std::array<JacobianPoint, kMaxOrderCountSegments> starts{};
    if (!SegmentStarts(g, two_g, segments, length, starts.data())) {
        return CountOrderSequentially(g);  // the order divides length
    }
    std::array<double, kMaxOrderCountSegments> x{};
    std::array<double, kMaxOrderCountSegments> y{};
    ToAffineStarts(starts.data(), segments, x.data(), y.data());
    std::array<int64_t, kMaxOrderCountSegments> first_step{};
    StepAll(level, x.data(), y.data(), ToDouble(g.x), ToDouble(g.y), length, first_step.data());
    for (int64_t j = 0; j < segments; ++j) {
        // Segments are in index order: the first one to meet infinity holds
        // the smallest index. A start at infinity lies beyond the count.
        const int64_t step = first_step[static_cast<size_t>(j)];
        if (step != 0) {
            return 2 + j * length + step;
        }
    }
    // Not reached on the library's curve: continue one step at a time.
    int64_t count = 2 + segments * length;
    JacobianPoint r = CanonicalMultiple(static_cast<uint64_t>(count), g);
    while (r.z != 0) {
        r = AddMixed(r, g);
        ++count;
    }
    return count;
}

}  // namespace vessa
