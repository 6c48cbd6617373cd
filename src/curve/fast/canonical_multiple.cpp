#include "curve/fast/canonical_multiple.h"

#include <array>
#include <bit>

#include "curve/curve_params.h"

namespace vessa {
namespace {

constexpr uint64_t kGroupOrder = static_cast<uint64_t>(kCurveOrder);  // points on the curve
constexpr AffinePoint kG{static_cast<uint64_t>(kBasePoint.x), static_cast<uint64_t>(kBasePoint.y)};

// entry[w][j] = j * 64^w * G for 1 <= j < 64 (entry[w][0] is unused): a
// scalar below 2^18 is the sum of at most three entries.
constexpr unsigned kWindowBits = 6;
constexpr unsigned kWindows = 3;
constexpr unsigned kWindowSize = 1U << kWindowBits;
using BaseTable = std::array<std::array<AffinePoint, kWindowSize>, kWindows>;

constexpr BaseTable MakeBaseTable() noexcept {
    BaseTable table{};
    AffinePoint window_base = kG;
    for (unsigned w = 0; w < kWindows; ++w) {
        JacobianPoint multiple = ToJacobian(window_base);
        table[w][1] = window_base;
        for (unsigned j = 2; j < kWindowSize; ++j) {
            multiple = AddMixed(multiple, window_base);
            table[w][j] = ToAffine(multiple);
        }
        // 64 * window_base; no multiple of G below 2^18 is the point at
        // infinity except 0 and the group order, neither of which is hit.
        window_base = ToAffine(AddMixed(multiple, window_base));
    }
    return table;
}

constexpr BaseTable kBaseTable = MakeBaseTable();

}  // namespace

JacobianPoint CanonicalBaseMultiple(uint64_t m) noexcept {
    JacobianPoint acc = kJacobianInfinity;
    for (unsigned w = 0; w < kWindows; ++w) {
        const uint64_t digit = (m >> (w * kWindowBits)) & (kWindowSize - 1);
        if (digit != 0) {
            acc = AddMixed(acc, kBaseTable[w][digit]);
        }
    }
    return acc;
}

// A Jacobian point with w = a * z^4 carried along, so that a doubling needs
// no power of z: one multiplication fewer and a shorter dependency chain
// than the plain doubling, which bounds the speed of a single multiple.
struct WeightedPoint {
    JacobianPoint p;
    field::Element w;
};

constexpr WeightedPoint Weighted(const JacobianPoint &p) noexcept {
    using namespace field;
    return {p, Mul(Reduce(static_cast<uint64_t>(kCurveA)), Square(Square(p.z)))};
}

constexpr WeightedPoint DoubleWeighted(const WeightedPoint &q) noexcept {
    using namespace field;
    const Element xx = Square(q.p.x);
    const Element yy = Square(q.p.y);
    const Element yyyy = Square(yy);
    const Element s = Reduce(4 * Mul(q.p.x, yy));
    const Element m = Add(Add(Add(xx, xx), xx), q.w);
    const Element x3 = Sub(Square(m), Add(s, s));
    const Element y3 = Sub(Mul(m, Sub(s, x3)), Reduce(8 * yyyy));
    return {{x3, y3, Reduce(2 * Mul(q.p.y, q.p.z))}, Reduce(16 * Mul(yyyy, q.w))};
}

JacobianPoint CanonicalPointMultiple(uint64_t m, AffinePoint b) noexcept {
    // Non-adjacent form, most significant digit first: about one addition
    // per three doublings, each of B or -B. With h = 3m, a bit i + 1 where h
    // and m differ is a digit at i: +1 where h has it, -1 where m has it.
    const uint64_t h = m + 2 * m;
    const uint64_t plus = ((h ^ m) & h) >> 1;
    const uint64_t minus = ((h ^ m) & m) >> 1;
    if (plus == 0) {
        return kJacobianInfinity;  // m == 0
    }
    const AffinePoint minus_b = Negate(b);
    // The leading digit is +1.
    WeightedPoint acc = Weighted(ToJacobian(b));
    for (int bit = static_cast<int>(std::bit_width(plus)) - 2; bit >= 0; --bit) {
        acc = DoubleWeighted(acc);
        const uint64_t mask = uint64_t{1} << bit;
        if ((plus & mask) != 0) {
            acc = Weighted(AddMixed(acc.p, b));
        } else if ((minus & mask) != 0) {
            acc = Weighted(AddMixed(acc.p, minus_b));
        }
    }
    return acc.p;
}

JacobianPoint CanonicalMultiple(uint64_t m, AffinePoint b) noexcept {
    m %= kGroupOrder;
    if (b.x == kG.x && b.y == kG.y) {
        return CanonicalBaseMultiple(m);
    }
    // m and the order minus m give opposite points; the smaller one saves a
    // doubling.
    if (m > kGroupOrder / 2) {
        const JacobianPoint r = CanonicalPointMultiple(kGroupOrder - m, b);
        return {r.x, field::Neg(r.y), r.z};
    }
    return CanonicalPointMultiple(m, b);
}

}  // namespace vessa
