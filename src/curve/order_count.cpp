#include "curve/order_count.h"

#include <array>
#include <cfloat>
#include <cstddef>

#include "curve/canonical_multiple.h"
#include "curve/curve_params.h"

namespace vessa {
namespace {

// The segments' arithmetic in double precision: residues are kept as exact
// integers of small magnitude (|v| < 5p) and every product (< 2^40) is
// exact, so a product is reduced by subtracting the nearest multiple of p.
// The nearest integer to t/p is found by adding and subtracting 1.5 * 2^52,
// which yields an integer in every rounding mode; in the default mode the
// remainder lies in [-p/2, p/2], in a directed mode in (-p - 1, p + 1).
// Four segments share one vector, eight vectors are in flight at once.
using Vec = double __attribute__((vector_size(32)));
using Mask = int64_t __attribute__((vector_size(32)));
constexpr int kLanesPerVec = 4;
constexpr int kVecs = static_cast<int>(kOrderCountSegments) / kLanesPerVec;
static_assert(kVecs * kLanesPerVec == kOrderCountSegments);

constexpr double kPd = static_cast<double>(kCurveP);
constexpr double kPinv = 1.0 / kPd;
constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52

struct Segments {
    Vec x[kVecs];
    Vec y[kVecs];
    Vec z[kVecs];
};

// Vectors cross no real call boundary (everything here is inlined into the
// dispatched kernels), so the note about their calling convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

[[gnu::always_inline]] inline Vec MulMod(const Vec &a, const Vec &b) noexcept {
    const Vec t = a * b;
    const Vec q = (t * kPinv + kRound) - kRound;
    return t - q * kPd;
}

// One step R <- R + G of every segment (Jacobian plus affine). The formula
// is the group law while R is neither G, -G nor infinity; from -G it gives
// z = 0, the point at infinity, and from infinity it stays there. R = G
// does not occur before the first point at infinity (see the caller).
// Records in first_step[] the step at which each segment first has z = 0.
[[gnu::always_inline]] inline void StepSegments(Segments &s, double gx, double gy, int64_t steps,
                                                int64_t *first_step) noexcept {
    for (int64_t step = 1; step <= steps; ++step) {
        Mask any{};
        for (int v = 0; v < kVecs; ++v) {
            const Vec z1z1 = MulMod(s.z[v], s.z[v]);
            const Vec u2 = MulMod(z1z1, Vec{} + gx);
            const Vec s2 = MulMod(MulMod(s.z[v], z1z1), Vec{} + gy);
            const Vec h = u2 - s.x[v];
            const Vec r = s2 - s.y[v];
            const Vec hh = MulMod(h, h);
            const Vec hhh = MulMod(h, hh);
            const Vec w = MulMod(s.x[v], hh);
            const Vec x3 = MulMod(r, r) - hhh - (w + w);
            s.y[v] = MulMod(r, w - x3) - MulMod(s.y[v], hhh);
            s.x[v] = x3;
            s.z[v] = MulMod(s.z[v], h);
            // z is congruent to 0 exactly when it is 0 or +-p.
            any |= (s.z[v] == 0.0) | (s.z[v] == kPd) | (s.z[v] == -kPd);
        }
        if ((any[0] | any[1] | any[2] | any[3]) == 0) {
            continue;
        }
        for (int v = 0; v < kVecs; ++v) {
            for (int l = 0; l < kLanesPerVec; ++l) {
                const double z = s.z[v][l];
                const int lane = v * kLanesPerVec + l;
                if ((z == 0.0 || z == kPd || z == -kPd) && first_step[lane] == 0) {
                    first_step[lane] = step;
                }
            }
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx2,fma")]] void StepSegmentsAvx2(Segments &s, double gx, double gy, int64_t steps,
                                                  int64_t *first_step) noexcept {
    StepSegments(s, gx, gy, steps, first_step);
}
#endif

void StepSegmentsBaseline(Segments &s, double gx, double gy, int64_t steps,
                          int64_t *first_step) noexcept {
    StepSegments(s, gx, gy, steps, first_step);
}

void StepAll(SegmentKernel kernel, Segments &s, double gx, double gy, int64_t steps,
             int64_t *first_step) noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    if (kernel == SegmentKernel::kBest && __builtin_cpu_supports("avx2") &&
        __builtin_cpu_supports("fma")) {
        StepSegmentsAvx2(s, gx, gy, steps, first_step);
        return;
    }
#else
    (void)kernel;
#endif
    StepSegmentsBaseline(s, gx, gy, steps, first_step);
}

double ToDouble(field::Element e) noexcept { return static_cast<double>(e); }

// The rounding trick needs every double operation rounded to double: not
// so with excess precision (x87) or when the compiler may reassociate.
#if defined(__FAST_MATH__) || !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
constexpr bool kExactDoubles = false;
#else
constexpr bool kExactDoubles = true;
#endif

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

int64_t CountOrderBySegments(AffinePoint g, SegmentKernel kernel) noexcept {
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
    constexpr int64_t kSegmentLength =
        (kCurveOrder - 2 + kOrderCountSegments - 1) / kOrderCountSegments;
    Segments s{};
    for (int64_t j = 0; j < kOrderCountSegments; ++j) {
        const JacobianPoint start =
            j == 0 ? two_g : CanonicalMultiple(static_cast<uint64_t>(2 + j * kSegmentLength), g);
        const auto v = static_cast<int>(j / kLanesPerVec);
        const auto l = static_cast<int>(j % kLanesPerVec);
        s.x[v][l] = ToDouble(start.x);
        s.y[v][l] = ToDouble(start.y);
        s.z[v][l] = ToDouble(start.z);
    }
    std::array<int64_t, kOrderCountSegments> first_step{};
    StepAll(kernel, s, ToDouble(g.x), ToDouble(g.y), kSegmentLength, first_step.data());
    for (int64_t j = 0; j < kOrderCountSegments; ++j) {
        // Segments are in index order: the first one to meet infinity holds
        // the smallest index. A start at infinity lies beyond the count.
        const int64_t step = first_step[static_cast<size_t>(j)];
        if (step != 0) {
            return 2 + j * kSegmentLength + step;
        }
    }
    // Not reached on the library's curve: continue one step at a time.
    int64_t count = 2 + kOrderCountSegments * kSegmentLength;
    JacobianPoint r = CanonicalMultiple(static_cast<uint64_t>(count), g);
    while (r.z != 0) {
        r = AddMixed(r, g);
        ++count;
    }
    return count;
}

}  // namespace vessa
