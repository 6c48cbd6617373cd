#include "curve/lane_multiples.h"

#include <bit>
#include <cfloat>

#include "curve/curve_params.h"
#include "support/secure_wipe.h"

namespace vessa {
namespace {

// Residues as exact integers in doubles, as in the order count: every
// product below stays under 2^53, and a product is reduced by subtracting
// the nearest multiple of p, found by adding and subtracting 1.5 * 2^52.
// A reduced value lies in [-p/2 - 1, p/2 + 1] in the default rounding mode
// and in (-p - 1, p + 1) in any other.
using Vec = double __attribute__((vector_size(64)));
using Mask = int64_t __attribute__((vector_size(64)));
constexpr size_t kLanes = 8;
constexpr size_t kVecs = kLaneBatch / kLanes;
static_assert(kVecs * kLanes == kLaneBatch);

constexpr double kPd = static_cast<double>(kCurveP);
constexpr double kPinv = 1.0 / kPd;
constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52

// The rounding trick needs every double operation rounded to double.
#if defined(__FAST_MATH__) || !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
constexpr bool kExactDoubles = false;
#else
constexpr bool kExactDoubles = true;
#endif

// Vectors cross no real call boundary (everything is inlined into the
// dispatched kernels), so the note about their calling convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

[[gnu::always_inline]] inline Vec Reduce(const Vec &t) noexcept {
    const Vec q = (t * kPinv + kRound) - kRound;
    return t - q * kPd;
}

[[gnu::always_inline]] inline Vec MulMod(const Vec &a, const Vec &b) noexcept {
    return Reduce(a * b);
}

// All ones in the lanes whose value is congruent to 0.
[[gnu::always_inline]] inline Mask IsZeroMod(const Vec &v) noexcept {
    const Vec r = Reduce(v);
    return (r == 0.0) | (r == kPd) | (r == -kPd);
}

struct Lanes {
    Vec x[kVecs], y[kVecs], z[kVecs], w[kVecs];  // Jacobian, with w = a z^4 (a = 1)
    Vec bx[kVecs], by[kVecs];                     // the points themselves
    Mask bad[kVecs];                              // lanes that met an exceptional case
};

// Every value is reduced after each step, so each factor of a product is
// below 8p and no product reaches 2^53.

// 2P (the weighted doubling of canonical_multiple.cpp). A doubling of a
// point with y = 0 gives z = 0, which the next addition or the end reports.
[[gnu::always_inline]] inline void DoubleAll(Lanes &s) noexcept {
    for (size_t v = 0; v < kVecs; ++v) {
        const Vec xx = MulMod(s.x[v], s.x[v]);
        const Vec yy = MulMod(s.y[v], s.y[v]);
        const Vec yyyy = MulMod(yy, yy);
        const Vec sv = Reduce(4.0 * MulMod(s.x[v], yy));
        const Vec m = Reduce(3.0 * xx + s.w[v]);
        const Vec x3 = Reduce(MulMod(m, m) - 2.0 * sv);
        const Vec y3 = Reduce(MulMod(m, sv - x3) - 8.0 * yyyy);
        const Vec z3 = MulMod(2.0 * s.y[v], s.z[v]);
        s.w[v] = MulMod(16.0 * yyyy, s.w[v]);
        s.x[v] = x3;
        s.y[v] = y3;
        s.z[v] = z3;
    }
}

// P + sign * B (mixed addition). Reports the lanes where P is the point at
// infinity (z = 0) or P = +-B (h = 0), which the formula does not cover.
[[gnu::always_inline]] inline void AddAll(Lanes &s, double sign) noexcept {
    for (size_t v = 0; v < kVecs; ++v) {
        const Vec z1z1 = MulMod(s.z[v], s.z[v]);
        const Vec u2 = MulMod(s.bx[v], z1z1);
        const Vec s2 = MulMod(sign * s.by[v], MulMod(s.z[v], z1z1));
        const Vec h = Reduce(u2 - s.x[v]);
        const Vec r = Reduce(s2 - s.y[v]);
        s.bad[v] |= IsZeroMod(h) | IsZeroMod(s.z[v]);
        const Vec hh = MulMod(h, h);
        const Vec hhh = MulMod(h, hh);
        const Vec t = MulMod(s.x[v], hh);
        const Vec x3 = Reduce(MulMod(r, r) - hhh - 2.0 * t);
        const Vec y3 = Reduce(MulMod(r, t - x3) - MulMod(s.y[v], hhh));
        const Vec z3 = MulMod(s.z[v], h);
        const Vec zz = MulMod(z3, z3);
        s.w[v] = MulMod(zz, zz);
        s.x[v] = x3;
        s.y[v] = y3;
        s.z[v] = z3;
    }
}

// m*B in every lane by the signed digits of m, most significant first (as
// CanonicalPointMultiple), from B itself for the leading digit +1.
[[gnu::always_inline]] inline void Ladder(Lanes &s, uint64_t m) noexcept {
    const uint64_t h = m + 2 * m;
    const uint64_t plus = ((h ^ m) & h) >> 1;
    const uint64_t minus = ((h ^ m) & m) >> 1;
    for (size_t v = 0; v < kVecs; ++v) {
        s.x[v] = s.bx[v];
        s.y[v] = s.by[v];
        s.z[v] = Vec{} + 1.0;
        s.w[v] = Vec{} + 1.0;
        s.bad[v] = Mask{};
    }
    for (int bit = static_cast<int>(std::bit_width(plus)) - 2; bit >= 0; --bit) {
        DoubleAll(s);
        const uint64_t mask = uint64_t{1} << bit;
        if ((plus & mask) != 0) {
            AddAll(s, 1.0);
        } else if ((minus & mask) != 0) {
            AddAll(s, -1.0);
        }
    }
    for (size_t v = 0; v < kVecs; ++v) {
        s.bad[v] |= IsZeroMod(s.z[v]);
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx512f,avx512dq")]] void LadderAvx512(Lanes &s, uint64_t m) noexcept {
    Ladder(s, m);
}
[[gnu::target("avx2,fma")]] void LadderAvx2(Lanes &s, uint64_t m) noexcept { Ladder(s, m); }
#endif

void LadderPortable(Lanes &s, uint64_t m) noexcept { Ladder(s, m); }

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
    Lanes s{};
    for (size_t i = 0; i < kLaneBatch; ++i) {
        // Unused lanes repeat the first point.
        const AffinePoint b = points[i < count ? i : 0];
        s.bx[i / kLanes][i % kLanes] = static_cast<double>(b.x);
        s.by[i / kLanes][i % kLanes] = static_cast<double>(b.y);
    }
    switch (level) {
#if defined(__x86_64__) && defined(__GNUC__)
        case VectorLevel::kAvx512: LadderAvx512(s, m); break;
        case VectorLevel::kAvx2: LadderAvx2(s, m); break;
#endif
        default: LadderPortable(s, m); break;
    }
    // x = X / Z^2 with one inversion for all lanes (Montgomery's trick).
    using namespace field;
    Element z[kLaneBatch];
    Element prefix[kLaneBatch];
    Element running = 1;
    for (size_t i = 0; i < count; ++i) {
        const bool bad = s.bad[i / kLanes][i % kLanes] != 0;
        z[i] = bad ? 1 : Canonical(s.z[i / kLanes][i % kLanes]);
        prefix[i] = running;
        running = Mul(running, z[i]);
    }
    Element inverse = Inverse(running);
    for (size_t i = count; i-- > 0;) {
        const Element z_inverse = Mul(inverse, prefix[i]);
        inverse = Mul(inverse, z[i]);
        if (s.bad[i / kLanes][i % kLanes] != 0) {
            xs[i] = kLaneNotComputed;
        } else {
            const Element x = Canonical(s.x[i / kLanes][i % kLanes]);
            xs[i] = static_cast<int64_t>(Mul(x, Square(z_inverse)));
        }
    }
    // The lanes hold multiples of the points by a private scalar.
    SecureWipeObject(s);
    SecureWipeObject(z);
    SecureWipeObject(prefix);
}

}  // namespace vessa
