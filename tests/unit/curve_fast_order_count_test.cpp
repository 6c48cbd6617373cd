// The segmented order count against the literal loop of ecc_new.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <vector>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/curve_params.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/fast/order_count.h"
#include "curve/literal/point_arith.h"
#include "curve_fast_chain.h"
#include "supported_levels.h"
#include "vessa.h"

namespace vessa::fast_test {
namespace {

constexpr int64_t kN = kCurveOrder;
constexpr int64_t kP = kCurveP;

int64_t LiteralCount(EccPoint g) {
    EccCurve curve = kCurve;
    curve.n = 0;
    curve.g = g;
    const ScopedReferenceArithmetic reference;
    return CountBasePointOrderReference(curve);
}

// Base points whose orders put the first point at infinity in different
// segments: the full order (last segment), 613 and 163 (first segments),
// and points of curves y^2 = x^3 + x + b' (the count never reads b) whose
// orders fall in the other parts of the segments, with spoilt starts
// beyond them.
TEST(FastOrderCount, MatchesTheLiteralLoop) {
    const std::vector<EccPoint> g_chain = LiteralChain(kCurve, kBasePoint, kN);
    struct Case {
        const char *name;
        EccPoint g;
    };
    const Case cases[] = {
        {"G", kBasePoint},
        {"-G", {kBasePoint.x, kP - kBasePoint.y}},
        {"163*G, order 613", g_chain[163]},
        {"613*G, order 163", g_chain[613]},
        {"2*G", g_chain[2]},
        {"12345*G", g_chain[12345]},
        {"2*(0,1)", ScalarMultiplyReference(kCurve, 2, {0, 1})},
        {"(4321, 8765), order 12462", {4321, 8765}},
        {"(7, 11), order 50050", {7, 11}},
        {"(1234, 5678), order 100091", {1234, 5678}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AffinePoint g{};
        ASSERT_TRUE(ToFastBase(kCurve, c.g, g));
        const int64_t literal = LiteralCount(c.g);
        EXPECT_EQ(CountOrderBySegments(g), literal);
        for (const VectorLevel level : SupportedLevels()) {
            EXPECT_EQ(CountOrderBySegments(g, level), literal) << static_cast<int>(level);
        }
        EXPECT_EQ(CountOrderSequentially(g), literal);
        EccCurve curve = kCurve;
        curve.n = 0;
        curve.g = c.g;
        EXPECT_EQ(CountBasePointOrder(curve), literal) << "routed count";
    }
}

// The segments' residues stay exact and small in a directed rounding mode
// too: the count runs in whatever mode its caller has set.
TEST(FastOrderCount, HoldsInEveryRoundingMode) {
    const AffinePoint g{static_cast<uint64_t>(kBasePoint.x), static_cast<uint64_t>(kBasePoint.y)};
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (const VectorLevel level : SupportedLevels()) {
            EXPECT_EQ(CountOrderBySegments(g, level), kN)
                << "mode " << mode << ", level " << static_cast<int>(level);
        }
        std::fesetround(FE_TONEAREST);
    }
}

TEST(FastOrderCount, BasesOutsideTheFastDomainCountLiterally) {
    // An off-curve base whose chain meets x = -1 after a few steps, and the
    // other curve parameters; the routed count must be the literal one.
    EccCurve curve = kCurve;
    curve.n = 0;
    curve.g = {5, 7};  // not on the curve
    const int64_t off_curve = [&] {
        const ScopedReferenceArithmetic reference;
        return CountBasePointOrderReference(curve);
    }();
    EXPECT_EQ(CountBasePointOrder(curve), off_curve);
    curve.g = kBasePoint;
    curve.a = 3;  // a differs: G is not on that curve, the chain is literal
    const int64_t other_a = [&] {
        const ScopedReferenceArithmetic reference;
        return CountBasePointOrderReference(curve);
    }();
    EXPECT_EQ(CountBasePointOrder(curve), other_a);
}

TEST(FastOrderCount, EccNewStoresTheLiteralCountEitherWay) {
    EccCurve *fast = ecc_new();
    ASSERT_NE(fast, nullptr);
    EccCurve *reference = nullptr;
    {
        const ScopedReferenceArithmetic forced;
        reference = ecc_new();
    }
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(fast->n, kN);
    EXPECT_EQ(reference->n, kN);
    ecc_destroy(fast);
    ecc_destroy(reference);
}

}  // namespace
}  // namespace vessa::fast_test
