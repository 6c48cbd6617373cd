// The fast ScalarMultiply against the literal chain of additions: every
// scalar for a set of base points, and random inputs outside the fast path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/fast/canonical_multiple.h"
#include "curve/fast/chain_multiple.h"
#include "curve/fast/group_table.h"
#include "curve/fast/lane_multiples.h"
#include "curve/fast/point_multiples.h"
#include "curve/fast/zero_coordinate_chain.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/literal/modular.h"
#include "curve/literal/point_arith.h"
#include "curve_fast_chain.h"
#include "supported_levels.h"

namespace vessa::fast_test {
namespace {

constexpr int64_t kN = kCurveOrder;
constexpr int64_t kP = kCurveP;
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

EccPoint Reference(const EccCurve &curve, int64_t k, EccPoint b) {
    const ScopedReferenceArithmetic reference;
    return ScalarMultiplyReference(curve, k, b);
}

EccPoint ReferenceSum(EccPoint p, EccPoint q) {
    const ScopedReferenceArithmetic reference;
    return PointAdd(kCurve, p, q);
}

// Expects ScalarMultiply to match the chain for every k in [-3, 2n + 3].
void ExpectEveryScalar(const EccCurve &curve, EccPoint b) {
    const std::vector<EccPoint> chain = LiteralChain(curve, b, curve.n);
    int64_t mismatches = 0;
    for (int64_t k = -3; k <= 2 * curve.n + 3; ++k) {
        const EccPoint expected = FromChain(chain, curve.n, k);
        const EccPoint got = ScalarMultiply(curve, k, b);
        if (!Same(got, expected) && ++mismatches <= 5) {
            ADD_FAILURE() << "k=" << k << " B=(" << b.x << "," << b.y << "): got (" << got.x
                          << "," << got.y << "), chain gives (" << expected.x << ","
                          << expected.y << ")";
        }
    }
    EXPECT_EQ(mismatches, 0);
}

struct NamedPoint {
    const char *name;
    EccPoint point;
};

// 2*(0, 1), whose chain stores an x congruent to 0 as p at consecutive
// steps; and the points of order 163 and 613.
std::vector<NamedPoint> SpecialBases() {
    const EccPoint two_zero_one = Reference(kCurve, 2, {0, 1});
    const EccPoint order_163 = Reference(kCurve, 613, kBasePoint);
    const EccPoint order_613 = Reference(kCurve, 163, kBasePoint);
    return {
        {"G", kBasePoint},
        {"2*(0,1)", two_zero_one},
        {"-2*(0,1)", {two_zero_one.x, kP - two_zero_one.y}},
        {"613*G (order 163)", order_163},
        {"163*G (order 613)", order_613},
        {"-G", {kBasePoint.x, kP - kBasePoint.y}},
    };
}

TEST(FastScalarMultiply, EveryScalarForSpecialBases) {
    for (const NamedPoint &base : SpecialBases()) {
        SCOPED_TRACE(base.name);
        AffinePoint unused{};
        ASSERT_TRUE(ToFastBase(kCurve, base.point, unused)) << "must take the fast path";
        ExpectEveryScalar(kCurve, base.point);
    }
}

// Bases whose chains store an x congruent to 0 as p: P + B has x = 0 on a
// line of small slope lam through P and B, so lam^2 - x(P) - x(B) is a
// negative multiple of p. (The first pair is the sum (99991, 1).)
TEST(FastScalarMultiply, EveryScalarForBasesWhoseChainsStoreP) {
    const EccPoint bases[] = {{90161, 81278}, {44055, 50903}, {44944, 44945},
                              {55048, 55049}, {53936, 53935}, {15819, 31639},
                              {12665, 63326}, {33258, 99339}};
    for (const EccPoint b : bases) {
        SCOPED_TRACE(testing::Message() << "(" << b.x << "," << b.y << ")");
        AffinePoint unused{};
        ASSERT_TRUE(ToFastBase(kCurve, b, unused));
        const std::vector<EccPoint> chain = LiteralChain(kCurve, b, kN);
        int stored_p = 0;
        for (const EccPoint r : chain) {
            stored_p += r.x == kP ? 1 : 0;
        }
        EXPECT_GT(stored_p, 0) << "the chain never stores p: not a useful base";
        ExpectEveryScalar(kCurve, b);
    }
}

TEST(FastScalarMultiply, EveryScalarForRandomCurvePoints) {
    // Random multiples of G, read off G's own chain, are random curve
    // points; multiples of 163 and 613 give the smaller orders.
    const std::vector<EccPoint> g_chain = LiteralChain(kCurve, kBasePoint, kN);
    std::mt19937_64 gen(20240611);
    std::vector<int64_t> multiples = {163 * 7, 613 * 11, 2, 99917};
    while (multiples.size() < 14) {
        multiples.push_back(std::uniform_int_distribution<int64_t>(3, kN - 3)(gen));
    }
    for (const int64_t d : multiples) {
        const EccPoint b = g_chain[static_cast<size_t>(d)];
        AffinePoint unused{};
        if (!ToFastBase(kCurve, b, unused)) {
            continue;  // an x stored as p: covered by the literal-path tests
        }
        SCOPED_TRACE(testing::Message() << d << "*G");
        ExpectEveryScalar(kCurve, b);
    }
}

// Every step of a chain whose difference lambda^2 - x1 - x2 is exactly 0:
// PointAdd stores ModReduce(0, p) = 0, while a negative multiple of p would
// give p. The sum is then (0, 1) or (0, p - 1), the two points with x = 0,
// on a line through the other one with a slope below sqrt(2p). For each such
// line and each ordering of its other two points P and B, the scalar k with
// k*B = P + B (when B's order allows one) ends the chain of B on that step.
TEST(FastScalarMultiply, ExactlyZeroDifferenceStoresZero) {
    using namespace field;
    // Index of every multiple of G, read off its literal chain (x reduced,
    // so that an x stored as p finds its point).
    const std::vector<EccPoint> g_chain = LiteralChain(kCurve, kBasePoint, kN);
    std::vector<int64_t> index_of(static_cast<size_t>(kP * 2), 0);  // by x, then y parity
    const auto slot = [](Element x, Element y) { return static_cast<size_t>(2 * x + (y & 1U)); };
    for (int64_t j = 1; j < kN; ++j) {
        const EccPoint r = g_chain[static_cast<size_t>(j)];
        index_of[slot(static_cast<Element>(r.x % kP), static_cast<Element>(r.y))] = j;
    }
    std::vector<int64_t> root(static_cast<size_t>(kP), -1);
    for (Element s = 0; s <= kP / 2; ++s) {
        root[Square(s)] = static_cast<int64_t>(s);
    }
    const Element half = (kP + 1) / 2;
    // One of them against the whole literal chain.
    EXPECT_TRUE(Same(Reference(kCurve, 56548, {85, 25924}), EccPoint{0, 1}));
    int checked = 0;
    for (const int64_t target_y : {int64_t{1}, kP - 1}) {
        const int64_t t = index_of[slot(0, static_cast<Element>(target_y))];
        const Element c = Neg(static_cast<Element>(target_y));  // the line meets (0, -y)
        for (Element lambda = 1; lambda * lambda < 2 * kP; ++lambda) {
            // x^2 - lambda^2 x + (1 - 2 lambda c) = 0: the other two points.
            const Element l2 = Reduce(lambda * lambda);
            const Element disc = Sub(Square(l2), Reduce(4 * Sub(1, Reduce(2 * Mul(lambda, c)))));
            if (root[disc] < 0) {
                continue;
            }
            const auto s = static_cast<Element>(root[disc]);
            const Element xa = Mul(Add(l2, s), half);
            const Element xb = Mul(Sub(l2, s), half);
            if (xa + xb != lambda * lambda) {
                continue;  // congruent, but not exactly 0
            }
            for (const auto &[x1, x2] : {std::pair{xa, xb}, std::pair{xb, xa}}) {
                const EccPoint b{static_cast<int64_t>(x2),
                                 static_cast<int64_t>(Add(Mul(lambda, x2), c))};
                const int64_t bi = index_of[slot(x2, static_cast<Element>(b.y))];
                if (x1 == 0 || x2 == 0 || bi % 163 == 0 || bi % 613 == 0) {
                    continue;  // P or B is itself a target, or no k reaches it
                }
                const int64_t k = t * ModInverseReference(bi, kN) % kN;
                SCOPED_TRACE(testing::Message() << "B=(" << b.x << "," << b.y << ") k=" << k);
                const EccPoint target{0, target_y};
                EXPECT_TRUE(Same(ScalarMultiply(kCurve, k, b), target));
                EXPECT_TRUE(Same(ScalarMultiply(kCurve, k + kN, b), target));
                // The next step starts from the stored 0, not from p.
                EXPECT_TRUE(Same(ScalarMultiply(kCurve, k + 1, b), ReferenceSum(target, b)));
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
}

TEST(GroupTable, HoldsEveryMultipleOfGAndItsIndex) {
    const GroupTable *table = ReadyGroupTable();
    ASSERT_NE(table, nullptr);
    for (uint32_t j = 1; j < GroupTable::kOrder; ++j) {
        const AffinePoint expected = ToAffine(CanonicalBaseMultiple(j));
        const AffinePoint got = table->Multiple(j);
        ASSERT_EQ(got.x, expected.x) << j;
        ASSERT_EQ(got.y, expected.y) << j;
        ASSERT_EQ(table->IndexOf(got), j);
    }
}

TEST(FastScalarMultiply, WithoutTheGroupTableGivesTheSameResults) {
    // The path of a thread that finds the table still being built.
    for (const NamedPoint &named : SpecialBases()) {
        SCOPED_TRACE(named.name);
        AffinePoint base{};
        ASSERT_TRUE(ToFastBase(kCurve, named.point, base));
        for (int64_t k = 2; k <= kN; ++k) {
            const auto m = static_cast<uint64_t>(k);
            ASSERT_TRUE(Same(ChainMultiple(kCurve, m, base, named.point, nullptr),
                             ChainMultiple(kCurve, m, base, named.point, ReadyGroupTable())))
                << k;
        }
    }
}

TEST(FastScalarMultiply, OtherOrdersOnTheCurveRecord) {
    // n is read for the reduction only; the fast path must follow it.
    for (const int64_t n : {int64_t{500}, kN + 5, 2 * kN + 1}) {
        SCOPED_TRACE(n);
        EccCurve curve = kCurve;
        curve.n = n;
        const std::vector<EccPoint> chain = LiteralChain(curve, kBasePoint, n);
        for (int64_t k = -3; k <= 2 * n + 3; k += (k < 1000 || k > 2 * n - 1000) ? 1 : 97) {
            ASSERT_TRUE(Same(ScalarMultiply(curve, k, kBasePoint), FromChain(chain, n, k))) << k;
        }
        for (const int64_t k : {kMax, kMax - 1, kMin, int64_t{-1}}) {
            ASSERT_TRUE(Same(ScalarMultiply(curve, k, kBasePoint), FromChain(chain, n, k))) << k;
        }
    }
}

// Points off the curve lie on y^2 = x^3 + x + b' for their own b'. Random
// ones, and crafted ones of order 3 and 4, whose chains meet the points with
// a coordinate 0 (of (0, 0) when b' = 0) again and again.
TEST(FastScalarMultiply, EveryScalarForPointsOffTheCurve) {
    using namespace field;
    std::mt19937_64 gen(4000);
    std::uniform_int_distribution<int64_t> coordinate(1, kP - 1);
    std::vector<EccPoint> bases;
    while (bases.size() < 12) {
        const EccPoint b{coordinate(gen), coordinate(gen)};
        AffinePoint a{};
        if (ToFastBase(kCurve, b, a) && !OnCurve(a)) {
            bases.push_back(b);
        }
    }
    std::vector<int64_t> root(static_cast<size_t>(kP), -1);
    for (Element s = 0; s <= kP / 2; ++s) {
        root[Square(s)] = static_cast<int64_t>(s);
    }
    // b' = 0 has the point (0, 0); b' = -(5^3 + 5) has (5, 0).
    for (const Element b_prime : {Element{0}, Neg(130)}) {
        int found_order_3 = 0;
        int found_order_4 = 0;
        for (Element x = 1; x < kP && (found_order_3 + found_order_4) < 4; ++x) {
            const Element rhs = Add(Add(Mul(Square(x), x), x), b_prime);
            if (rhs == 0 || root[rhs] < 0) {
                continue;
            }
            const AffinePoint b{x, static_cast<Element>(root[rhs])};
            const JacobianPoint twice = Double(ToJacobian(b));
            if (twice.z == 0) {
                continue;
            }
            const AffinePoint t = ToAffine(twice);
            if (t.x == x && found_order_3 < 2) {
                ++found_order_3;
            } else if (t.y == 0 && found_order_4 < 2) {
                ++found_order_4;
            } else {
                continue;
            }
            bases.push_back({static_cast<int64_t>(b.x), static_cast<int64_t>(b.y)});
        }
        EXPECT_GT(found_order_4, 0) << b_prime;
    }
    for (const EccPoint b : bases) {
        SCOPED_TRACE(testing::Message() << "(" << b.x << "," << b.y << ")");
        const std::vector<EccPoint> chain = LiteralChain(kCurve, b, 4000);
        for (int64_t k = -3; k <= 4000; ++k) {
            ASSERT_TRUE(Same(ScalarMultiply(kCurve, k, b), FromChain(chain, kN, k))) << k;
        }
    }
    for (size_t i = 0; i < 3; ++i) {  // the whole chain, for a few
        for (const int64_t k : {kN - 1, kN, kN + 2, 2 * kN - 1, kMax}) {
            ASSERT_TRUE(Same(ScalarMultiply(kCurve, k, bases[i]), Reference(kCurve, k, bases[i])))
                << k;
        }
    }
}

// Every kernel the processor can run, against the canonical multiples: a
// lane either holds the x of m*B (stored x p read as 0) or reports that it
// left the point to its caller, which only an exceptional case justifies.
TEST(LaneMultiples, EveryKernelGivesTheCanonicalX) {
    std::mt19937_64 gen(8);
    std::uniform_int_distribution<field::Element> coordinate(1, kP - 1);
    std::vector<AffinePoint> points;
    const std::vector<EccPoint> g_chain = LiteralChain(kCurve, kBasePoint, 700);
    for (const int64_t j : {int64_t{1}, int64_t{2}, int64_t{163}, int64_t{613}, int64_t{699}}) {
        points.push_back({static_cast<field::Element>(g_chain[static_cast<size_t>(j)].x),
                          static_cast<field::Element>(g_chain[static_cast<size_t>(j)].y)});
    }
    points.push_back({5, 1});  // (5, 0), of order 2, lies on its curve
    while (points.size() < 2 * kLaneBatch + 5) {
        points.push_back({coordinate(gen), coordinate(gen)});
    }
    for (const VectorLevel level : SupportedLevels()) {
        SCOPED_TRACE(static_cast<int>(level));
        for (const uint64_t m : {uint64_t{2}, uint64_t{3}, uint64_t{163}, uint64_t{56789},
                                 uint64_t{99918}, uint64_t{99919}, uint64_t{1} << 39}) {
            int left = 0;
            for (size_t first = 0; first < points.size(); first += kLaneBatch) {
                const size_t count = std::min(kLaneBatch, points.size() - first);
                int64_t xs[kLaneBatch];
                LaneMultipleXs(m, points.data() + first, count, xs, level);
                for (size_t i = 0; i < count; ++i) {
                    const AffinePoint b = points[first + i];
                    const EccPoint stored{static_cast<int64_t>(b.x), static_cast<int64_t>(b.y)};
                    const EccPoint expected = ChainMultiple(kCurve, m, b, stored, nullptr);
                    if (xs[i] == kLaneNotComputed) {
                        ++left;
                        continue;
                    }
                    EXPECT_EQ(xs[i], expected.x % kP) << m << " (" << b.x << "," << b.y << ")";
                }
            }
            EXPECT_LE(left, 6) << m;  // n*B is infinity for the points of the curve
        }
    }
}

// A coordinate stored as 0 or p: the chain leaves the group law where a
// stored 0 meets a stored p (a zero divisor) or y is 0, and the fast path
// follows it there literally. Every scalar up to n, against the chain, for
// bases of each kind: both coordinates 0 or p (fixed points of the chain),
// y 0 or p (period 2), x 0 or p on curves where B has large and small order.
TEST(FastScalarMultiply, EveryScalarForBasesWithACoordinate0OrP) {
    std::vector<EccPoint> bases = {{0, 0},    {0, kP},     {kP, 0},      {kP, kP},
                                   {5, 0},    {5, kP},     {1234, 0},    {kP - 1, kP},
                                   {0, 1},    {0, kP - 1}, {kP, 1},      {kP, kP - 1},
                                   {0, 4321}, {kP, 4321},  {0, kP - 77}, {kP, 1 + kP / 2}};
    int small_orders = 0;
    for (int64_t y = 2; y < 3000 && small_orders < 4; ++y) {
        const uint64_t order = OrderOnOwnCurve({0, static_cast<field::Element>(y)});
        if (order < 40) {
            bases.push_back({y % 2 == 0 ? 0 : kP, y});
            bases.push_back({y % 2 == 0 ? kP : 0, kP - y});
            ++small_orders;
        }
    }
    EXPECT_GT(small_orders, 0);
    for (const EccPoint b : bases) {
        SCOPED_TRACE(testing::Message() << "(" << b.x << "," << b.y << ")");
        AffinePoint unused{};
        ZeroCoordinateBase edge{};
        EXPECT_FALSE(ToFastBase(kCurve, b, unused));
        ASSERT_TRUE(ToZeroCoordinateBase(kCurve, b, edge));
        const std::vector<EccPoint> chain = LiteralChain(kCurve, b, kN);
        const PointMultiples multiples(kCurve, b);
        for (int64_t k = -3; k <= kN + 3; ++k) {
            ASSERT_TRUE(Same(multiples.Times(k), FromChain(chain, kN, k))) << k;
        }
        for (const int64_t k : {int64_t{2}, kN - 2, kN - 1, kN, kN + 2, 2 * kN + 3, kMax}) {
            ASSERT_TRUE(Same(ScalarMultiply(kCurve, k, b), FromChain(chain, kN, k))) << k;
        }
    }
}

TEST(FastScalarMultiply, InputsOutsideTheFastPathMatchTheLiteralChain) {
    std::mt19937_64 gen(77);
    std::uniform_int_distribution<int64_t> any(kMin, kMax);
    std::uniform_int_distribution<int64_t> small(-3, kP + 3);
    const auto coordinate = [&](int kind) -> int64_t {
        switch (kind) {
            case 0: return -std::uniform_int_distribution<int64_t>(1, 1000)(gen) - 1;  // negative
            case 1: return kP + std::uniform_int_distribution<int64_t>(0, 3 * kP)(gen);  // >= p
            case 2: return any(gen);                                               // huge
            default: return small(gen);  // in range: off the curve in general
        }
    };
    for (int trial = 0; trial < 48; ++trial) {
        const EccPoint b{coordinate(trial % 4), coordinate((trial / 4) % 4)};
        // Any int64 scalar; its residue decides the cost of the literal chain.
        const int64_t k = trial % 3 == 0 ? std::uniform_int_distribution<int64_t>(-3, 400)(gen)
                                         : any(gen);
        SCOPED_TRACE(testing::Message() << "k=" << k << " B=(" << b.x << "," << b.y << ")");
        EXPECT_TRUE(Same(ScalarMultiply(kCurve, k, b), Reference(kCurve, k, b)));
    }
}

TEST(FastScalarMultiply, OtherCurveParametersTakeTheLiteralPath) {
    struct Case {
        const char *why;
        int64_t a, p;
    };
    const Case cases[] = {
        {"a differs", 2, kP},
        {"p differs", kCurveA, 99989},
        {"both differ", -7, 1009},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        EccCurve curve = kCurve;
        curve.a = c.a;
        curve.p = c.p;
        AffinePoint unused{};
        EXPECT_FALSE(ToFastBase(curve, kBasePoint, unused));
        for (const int64_t k : {int64_t{-1}, int64_t{2}, int64_t{3}, int64_t{1000}, kN + 7}) {
            EXPECT_TRUE(Same(ScalarMultiply(curve, k, kBasePoint), Reference(curve, k, kBasePoint)))
                << k;
        }
    }
}

TEST(FastScalarMultiply, ForcedReferenceGivesTheSameResults) {
    const std::mt19937_64::result_type seed = 5;
    std::mt19937_64 gen(seed);
    for (int trial = 0; trial < 8; ++trial) {
        const int64_t k = std::uniform_int_distribution<int64_t>(2, kN - 1)(gen);
        const EccPoint fast = ScalarMultiply(kCurve, k, kBasePoint);
        EccPoint forced{};
        {
            const ScopedReferenceArithmetic reference;
            EXPECT_TRUE(ReferenceArithmeticForced());
            forced = ScalarMultiply(kCurve, k, kBasePoint);
        }
        EXPECT_FALSE(ReferenceArithmeticForced());
        EXPECT_TRUE(Same(fast, forced)) << k;
    }
}

}  // namespace
}  // namespace vessa::fast_test
