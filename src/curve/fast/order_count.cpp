#include "curve/fast/order_count.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "curve/fast/canonical_multiple.h"
#include "curve/curve_params.h"
#include "curve/fast/double_residues.h"
#include "support/target_region.h"

namespace vessa {
namespace {

// The segments' arithmetic in double precision (see double_residues.h):
// every product below 2^53, by the bounds given beside the kernel's steps.
using namespace double_residues;

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

// The segments' starts: kTreeStarts of them by canonical multiples, the
// rest by kTreeLevels levels of additions, each doubling their number.
constexpr int kTreeStarts = 8;
constexpr int kTreeLevels = 8;
static_assert((kTreeStarts << kTreeLevels) >= kOrderCountSegments &&
              (kTreeStarts << (kTreeLevels - 1)) < kOrderCountSegments);

#define VESSA_KERNEL_FILE "curve/fast/order_count_kernel.inc"
#include "support/vector_forms.inc"
#undef VESSA_KERNEL_FILE

void StepAll(VectorLevel level, const double *start_x, const double *start_y,
             const double *stride_x, const double *stride_y, double gx, double gy, int64_t steps,
             int64_t *first_step) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512:
            avx512::Step(start_x, start_y, stride_x, stride_y, gx, gy, steps, first_step);
            break;
        case VectorLevel::kAvx2:
            avx2::Step(start_x, start_y, stride_x, stride_y, gx, gy, steps, first_step);
            break;
#endif
        default:
            portable::Step(start_x, start_y, stride_x, stride_y, gx, gy, steps, first_step);
            break;
    }
}

// The affine forms of `n` points, by one field inversion (Montgomery's
// trick). A point at infinity gets an arbitrary point (see the caller).
void ToAffineDoubles(const JacobianPoint *points, int n, double *x, double *y) noexcept {
    using namespace field;
    std::array<Element, kTreeStarts + kTreeLevels> prefix{};
    Element running = 1;
    for (int j = 0; j < n; ++j) {
        const auto i = static_cast<size_t>(j);
        prefix[i] = running;
        running = Mul(running, points[i].z == 0 ? 1 : points[i].z);
    }
    Element inverse = Inverse(running);
    for (int j = n; j-- > 0;) {
        const auto i = static_cast<size_t>(j);
        const Element z = points[i].z == 0 ? 1 : points[i].z;
        const Element zinv = Mul(inverse, prefix[i]);
        inverse = Mul(inverse, z);
        const Element zinv2 = Square(zinv);
        x[i] = static_cast<double>(Mul(points[i].x, zinv2));
        y[i] = static_cast<double>(Mul(points[i].y, Mul(zinv2, zinv)));
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
    // S_j = (2 + j*len)*G; together they cover every index up to the order
    // the curve is known to have. Every start but 2G lies strictly between
    // G and the first point at infinity, or beyond it; so no segment meets
    // G before that point, and the first z = 0 found is the count.
    //
    // The starts beyond kTreeStarts are S_j = S_(j-m) + (m*len)*G for m a
    // power of 2 times kTreeStarts, j - m < m; (m*len)*G comes by doublings,
    // which never read the curve's constant term either. Where S_j lies
    // before the first point at infinity, so do both terms, and they are
    // neither equal nor opposite: their indices 2 + (j-m)*len and m*len
    // differ (len > 2) and sum to S_j's index. So every start that matters
    // is right; a term at infinity or a divisor 0 only spoils starts beyond
    // the count.
    constexpr int64_t segments = kOrderCountSegments;
    const int64_t length = (kCurveOrder - 2 + segments - 1) / segments;
    static_assert((kCurveOrder - 2 + segments - 1) / segments > 2);
    std::array<JacobianPoint, kTreeStarts + kTreeLevels> roots{};
    for (int j = 0; j < kTreeStarts; ++j) {
        roots[static_cast<size_t>(j)] =
            j == 0 ? two_g : CanonicalMultiple(static_cast<uint64_t>(2 + j * length), g);
    }
    roots[kTreeStarts] = CanonicalMultiple(static_cast<uint64_t>(kTreeStarts * length), g);
    for (size_t k = kTreeStarts + 1; k < roots.size(); ++k) {
        roots[k] = Double(roots[k - 1]);
    }
    std::array<double, kTreeStarts + kTreeLevels> x{};
    std::array<double, kTreeStarts + kTreeLevels> y{};
    ToAffineDoubles(roots.data(), kTreeStarts + kTreeLevels, x.data(), y.data());
    std::array<int64_t, kOrderCountSegments> first_step{};
    StepAll(level, x.data(), y.data(), x.data() + kTreeStarts, y.data() + kTreeStarts,
            ToDouble(g.x), ToDouble(g.y), length, first_step.data());
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
