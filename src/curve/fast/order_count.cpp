#include "curve/fast/order_count.h"

#include <array>
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

void StepAll(VectorLevel level, const double *x, const double *y, const double *z, double gx,
             double gy, int64_t steps, int64_t *first_step) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: avx512::Step(x, y, z, gx, gy, steps, first_step); break;
        case VectorLevel::kAvx2: avx2::Step(x, y, z, gx, gy, steps, first_step); break;
#endif
        default: portable::Step(x, y, z, gx, gy, steps, first_step); break;
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
    std::array<double, kMaxOrderCountSegments> x{};
    std::array<double, kMaxOrderCountSegments> y{};
    std::array<double, kMaxOrderCountSegments> z{};
    for (int64_t j = 0; j < segments; ++j) {
        const JacobianPoint start =
            j == 0 ? two_g : CanonicalMultiple(static_cast<uint64_t>(2 + j * length), g);
        const auto i = static_cast<size_t>(j);
        x[i] = ToDouble(start.x);
        y[i] = ToDouble(start.y);
        z[i] = ToDouble(start.z);
    }
    std::array<int64_t, kMaxOrderCountSegments> first_step{};
    StepAll(level, x.data(), y.data(), z.data(), ToDouble(g.x), ToDouble(g.y), length,
            first_step.data());
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
