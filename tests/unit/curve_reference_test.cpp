// The reference arithmetic against worked examples and one whole chain of G.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "curve/curve_params.h"
#include "curve/literal/guarded_division.h"
#include "curve/literal/modular.h"
#include "curve/literal/point_arith.h"

namespace vessa {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr EccCurve kCurve{kCurveA, kCurveB, kCurveP, kCurveH, kCurveOrder, kBasePoint};
constexpr EccPoint kG = kBasePoint;

bool Same(EccPoint a, EccPoint b) { return a.x == b.x && a.y == b.y; }

TEST(ModReduce, WorkedExamples) {
    struct Case {
        int64_t v, m, expected;
        const char *why;
    };
    const Case cases[] = {
        {-99991, 99991, 99991, "a negative multiple gives m, not 0"},
        {-1, 99991, 99990, "negative values fold into [1, m]"},
        {0, 99991, 0, "zero stays zero"},
        {199982, 99991, 0, "a positive multiple gives 0"},
        {99990, 99991, 99990, "below m unchanged"},
        {kMax, 99991, kMax % 99991, "largest value"},
        {kMin, 99991, 99991 - (kMin % 99991), "INT64_MIN keeps a negative magnitude"},
        {-7, 5, 3, "small modulus"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ModReduce(c.v, c.m), c.expected) << c.why;
    }
}

TEST(ExtendedGcd, WorkedExamples) {
    struct Case {
        int64_t u, w;
        GcdResult expected;
    };
    const Case cases[] = {
        {240, 46, {2, -9, 47}},
        {5, 0, {5, 1, 0}},
        {0, 99991, {99991, 0, 1}},
        {-4, 6, {2, 1, 1}},
    };
    for (const Case &c : cases) {
        const GcdResult r = ExtendedGcd(c.u, c.w);
        EXPECT_EQ(r.d, c.expected.d) << c.u << "," << c.w;
        EXPECT_EQ(r.s, c.expected.s) << c.u << "," << c.w;
        EXPECT_EQ(r.t, c.expected.t) << c.u << "," << c.w;
    }
}

TEST(ModInverseReference, WorkedExamplesAndMultiples) {
    EXPECT_EQ(ModInverseReference(10608, 99991), 26176);  // 2 * 5304, G's doubling denominator
    EXPECT_EQ(ModInverseReference(0, 99991), 0);
    EXPECT_EQ(ModInverseReference(99991, 99991), 0);
    EXPECT_EQ(ModInverseReference(199982, 99991), 0);
    for (int64_t v = 1; v < 3000; ++v) {
        const int64_t inv = ModInverseReference(v, 99991);
        ASSERT_GE(inv, 0);
        ASSERT_LT(inv, 99991);
        ASSERT_EQ(v * inv % 99991, 1) << v;
    }
    // Negative arguments: the loop lifts s into [0, m - 1] without overflow
    // (the gcd may come out as -1, so s need not be a true inverse).
    EXPECT_EQ(ModInverseReference(-1, 99991), 1);
    for (int64_t v : {kMin, kMin + 1, int64_t{-99991} * 3, int64_t{-5}}) {
        const int64_t inv = ModInverseReference(v, 99991);
        EXPECT_GE(inv, 0) << v;
        EXPECT_LT(inv, 99991) << v;
    }
}

TEST(PointAdd, WorkedExamples) {
    struct Case {
        EccPoint p, q, expected;
        const char *why;
    };
    const Case cases[] = {
        {kG, kG, {99664, 35140}, "doubling G"},
        {kG, {99664, 35140}, {46692, 44807}, "G + 2G"},
        {{99664, 35140}, kG, {46692, 44807}, "2G + G"},
        {{2617, 94687}, kG, {-1, -1}, "-G + G"},
        {kG, {-1, -1}, kG, "infinity on the right"},
        {{-1, -1}, kG, kG, "infinity on the left"},
        {{5, -1}, kG, kG, "a y of -1 is infinity"},
        {{-1, 5}, kG, kG, "an x of -1 is infinity"},
        {kG, {2617, 1}, {-1, -1}, "equal x, unrelated y"},
        {{44055, 50903}, {90161, 81278}, {99991, 1}, "x congruent to 0 stored as p"},
        {{0, 1}, {99991, 1}, {99991, 99990}, "x values differ as integers"},
    };
    for (const Case &c : cases) {
        const EccPoint r = PointAdd(kCurve, c.p, c.q);
        EXPECT_TRUE(Same(r, c.expected))
            << c.why << ": got (" << r.x << ", " << r.y << ")";
    }
}

TEST(PointAdd, HugeCoordinatesWrapWithoutUndefinedBehaviour) {
    // Run under UBSan: every product and sum here overflows int64.
    const EccPoint points[] = {{kMax, kMax}, {kMin, kMax}, {kMin + 1, 3}, {kMax, kMin}, {0, kMin}};
    for (const EccPoint &p : points) {
        for (const EccPoint &q : points) {
            const EccPoint r = PointAdd(kCurve, p, q);
            if (!IsInfinity(r)) {
                EXPECT_GE(r.x, kMin);
            }
        }
    }
}

TEST(ScalarMultiplyReference, MappingOfSmallAndLargeScalars) {
    struct Case {
        int64_t k;
        EccPoint expected;
    };
    const Case cases[] = {
        {0, kG},           {1, kG},           {-5, kG},          {kMin, kG},
        {2, {99664, 35140}}, {14274, {54539, 9345}}, {99918, {2617, 94687}},
        {99919, {-1, -1}}, {99920, kG},       {199838, kG},      {99921, {99664, 35140}},
    };
    for (const Case &c : cases) {
        const EccPoint r = ScalarMultiplyReference(kCurve, c.k, kG);
        EXPECT_TRUE(Same(r, c.expected)) << "k=" << c.k << ": (" << r.x << ", " << r.y << ")";
    }
}

// One walk of G's chain gives every multiple; the mapping for k > n and the
// multiplier itself are checked against it.
TEST(ScalarMultiply, WholeChainOfG) {
    const int64_t n = kCurveOrder;
    std::vector<EccPoint> chain(static_cast<size_t>(n + 1));
    chain[1] = kG;
    for (int64_t i = 2; i <= n; ++i) {
        chain[static_cast<size_t>(i)] = PointAdd(kCurve, chain[static_cast<size_t>(i - 1)], kG);
    }
    ASSERT_TRUE(Same(chain[static_cast<size_t>(n)], kInfinity));
    for (int64_t i = 1; i < n; ++i) {
        ASSERT_FALSE(IsInfinity(chain[static_cast<size_t>(i)])) << i;
    }
    auto expected_for = [&](int64_t k) {
        if (k > n) {
            k %= n;
        }
        return k < 2 ? kG : chain[static_cast<size_t>(k)];
    };
    // The multiplier at every k would cost n^2 additions by the reference;
    // a spread of scalars plus the boundaries covers the mapping.
    std::vector<int64_t> scalars = {2, 3, n - 2, n - 1, n, n + 1, n + 2, 2 * n - 1, 2 * n, 2 * n + 1,
                                    2 * n + 2};
    for (int64_t k = 5; k <= 2 * n + 2; k += 4999) {
        scalars.push_back(k);
    }
    for (int64_t k : scalars) {
        const EccPoint r = ScalarMultiply(kCurve, k, kG);
        ASSERT_TRUE(Same(r, expected_for(k))) << "k=" << k;
    }
    EXPECT_TRUE(Same(expected_for(2 * n), kG));
    EXPECT_TRUE(Same(expected_for(n), kInfinity));
}

TEST(CurveOrder, CountedByTheChain) {
    EccCurve params = kCurve;
    params.n = 0;  // the count must not read n
    EXPECT_EQ(CountBasePointOrder(params), 99919);
}

using GuardDeathTest = ::testing::Test;

TEST(GuardDeathTest, DivisionGuardsStopTheProcess) {
    EXPECT_DEATH(ModReduce(5, 0), "attempt to calculate the remainder with a divisor of zero");
    EXPECT_DEATH(ModReduce(kMin, -1), "attempt to calculate the remainder with overflow");
    EXPECT_DEATH(ExtendedGcd(kMin, -1), "attempt to calculate the remainder with overflow");
    EccCurve zero_order = kCurve;
    zero_order.n = 0;
    EXPECT_DEATH(ScalarMultiplyReference(zero_order, 5, kG),
                 "attempt to calculate the remainder with a divisor of zero");
    EXPECT_DEATH(GuardedDiv(1, 0), "attempt to divide by zero");
    EXPECT_DEATH(GuardedDiv(kMin, -1), "attempt to divide with overflow");
}

}  // namespace
}  // namespace vessa
