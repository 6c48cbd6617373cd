// The curve context and point functions as clients call them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "vessa.h"

namespace {

TEST(CurveApi, NewFillsTheFixedParameters) {
    EccCurve *curve = ecc_new();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->a, 1);
    EXPECT_EQ(curve->b, 1);
    EXPECT_EQ(curve->p, 99991);
    EXPECT_EQ(curve->h, 1);
    EXPECT_EQ(curve->n, 99919);
    EXPECT_EQ(curve->g.x, 2617);
    EXPECT_EQ(curve->g.y, 5304);
    ecc_destroy(curve);
}

TEST(CurveApi, ContextsAreIndependentAndNullIsAccepted) {
    EccCurve *first = ecc_new();
    EccCurve *second = ecc_new();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    ecc_destroy(first);
    EXPECT_EQ(second->n, 99919);
    ecc_destroy(second);
    ecc_destroy(nullptr);
}

TEST(CurveApi, RecordLayoutIsSevenInt64) {
    static_assert(sizeof(EccPoint) == 16);
    static_assert(sizeof(EccCurve) == 56);
    static_assert(offsetof(EccCurve, n) == 32);
    static_assert(offsetof(EccCurve, g) == 40);
    static_assert(sizeof(EccCiphertext) == 24);
    static_assert(offsetof(EccCiphertext, masked) == 16);
}

TEST(CurveApi, PointsRoundTripEveryValue) {
    const int64_t values[] = {-7, int64_t{1} << 40, 0, -1, INT64_MIN, INT64_MAX};
    for (int64_t x : values) {
        for (int64_t y : values) {
            const EccPoint p = point_new(x, y);
            EXPECT_EQ(point_get_x(&p), x);
            EXPECT_EQ(point_get_y(&p), y);
        }
    }
}

}  // namespace
