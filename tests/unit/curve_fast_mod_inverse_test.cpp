// The fast ModInverse against the literal extended Euclid, and the switch
// that forces the reference arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <thread>

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/curve_params.h"
#include "curve/literal/modular.h"

namespace vessa {
namespace {

constexpr int64_t kP = kCurveP;

TEST(FastModInverse, EveryArgumentAroundTheFastRange) {
    int64_t mismatches = 0;
    for (int64_t v = -5; v <= 2 * kP + 5; ++v) {
        const int64_t expected = ModInverseReference(v, kP);
        const int64_t got = ModInverse(v, kP);
        if (got != expected && ++mismatches <= 5) {
            ADD_FAILURE() << "v=" << v << ": got " << got << ", literal gives " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FastModInverse, ArbitraryArgumentsAndModuli) {
    std::mt19937_64 gen(3);
    std::uniform_int_distribution<int64_t> any(std::numeric_limits<int64_t>::min(),
                                               std::numeric_limits<int64_t>::max());
    const int64_t moduli[] = {kP, kP - 2, 1, 2, 163, kCurveOrder, int64_t{1} << 40};
    for (const int64_t m : moduli) {
        for (int trial = 0; trial < 2000; ++trial) {
            const int64_t v = trial % 2 == 0 ? any(gen) : any(gen) % (4 * kP);
            ASSERT_EQ(ModInverse(v, m), ModInverseReference(v, m)) << v << " mod " << m;
        }
    }
}

TEST(ScopedReferenceArithmetic, NestsAndStaysOnItsThread) {
    EXPECT_FALSE(ReferenceArithmeticForced());
    {
        const ScopedReferenceArithmetic outer;
        EXPECT_TRUE(ReferenceArithmeticForced());
        {
            const ScopedReferenceArithmetic inner;
            EXPECT_TRUE(ReferenceArithmeticForced());
        }
        EXPECT_TRUE(ReferenceArithmeticForced()) << "leaving the inner scope keeps the outer";
        bool other_thread_forced = true;
        std::thread([&] { other_thread_forced = ReferenceArithmeticForced(); }).join();
        EXPECT_FALSE(other_thread_forced);
    }
    EXPECT_FALSE(ReferenceArithmeticForced());
}

}  // namespace
}  // namespace vessa
