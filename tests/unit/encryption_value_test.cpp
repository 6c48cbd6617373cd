// Encryption and decryption of single byte values, with scripted scalars.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "curve/curve_params.h"
#include "curve/literal/point_arith.h"
#include "encryption/decrypt_value.h"
#include "encryption/encrypt_value.h"
#include "random/random_range.h"
#include "random/thread_rng.h"

namespace vessa {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr EccCurve kCurve{kCurveA, kCurveB, kCurveP, kCurveH, kCurveOrder, kBasePoint};
constexpr int64_t kLowScalar = kCurveOrder / 7;  // 14274

bool Same(EccPoint a, EccPoint b) { return a.x == b.x && a.y == b.y; }

// Hands out the words that make RandomRange over [n/7, n) return the
// scripted scalars in order, and counts how many scalars were taken.
class ScriptedScalars {
public:
    explicit ScriptedScalars(std::vector<int64_t> scalars) : scalars_(std::move(scalars)) {}

    uint32_t NextU32() {
        if (high_half_) {
            high_half_ = false;
            return 0;
        }
        high_half_ = true;
        const int64_t k = draws_ < scalars_.size() ? scalars_[draws_] : kLowScalar;
        ++draws_;
        // Offsets of a full range above zero are never rejected.
        constexpr int64_t kRange = kCurveOrder - kLowScalar;
        return static_cast<uint32_t>(k - kLowScalar + kRange);
    }

    size_t Draws() const { return draws_; }

private:
    std::vector<int64_t> scalars_;
    size_t draws_ = 0;
    bool high_half_ = false;
};

// A seeded generator that counts the words it hands out.
class CountingRng {
public:
    explicit CountingRng(uint8_t seed_byte) : rng_(Seed(seed_byte)) {}
    uint32_t NextU32() {
        ++words_;
        return rng_.NextU32();
    }
    uint64_t Words() const { return words_; }

private:
    static ChaChaKey Seed(uint8_t b) {
        ChaChaKey key{};
        key.fill(b);
        return key;
    }
    ChaChaRng rng_;
    uint64_t words_ = 0;
};

// Every k in [n/7, n) with k*Q of x congruent to 0 modulo p, found by
// walking the chain Q, 2Q, ... the way ScalarMultiply builds it.
std::vector<int64_t> ScalarsWithZeroMask(EccPoint q) {
    std::vector<int64_t> found;
    EccPoint r = q;
    for (int64_t k = 2; k < kCurveOrder; ++k) {
        r = PointAdd(kCurve, r, q);
        if (k >= kLowScalar && r.x % kCurveP == 0) {
            found.push_back(k);
        }
    }
    return found;
}

TEST(EncryptValue, UsesOneScalarForBothPoints) {
    struct Case {
        int64_t d, k;
        uint8_t value;
    };
    const Case cases[] = {
        {20000, 14274, 1},    // lowest scalar
        {20000, 99918, 255},  // highest scalar, highest value
        {31337, 50000, 0},    // zero masks to zero
        {99918, 77777, 128},  // byte with the top bit set
    };
    for (const Case &c : cases) {
        const EccPoint q = ScalarMultiplyReference(kCurve, c.d, kCurve.g);
        ScriptedScalars rng({c.k});
        const EccCiphertext ct = EncryptValue(kCurve, q, c.value, rng);
        const EccPoint shared = ScalarMultiplyReference(kCurve, c.k, q);
        EXPECT_TRUE(Same(ct.point, ScalarMultiplyReference(kCurve, c.k, kCurve.g))) << c.k;
        EXPECT_EQ(ct.masked, (shared.x < 0 ? -shared.x : shared.x) * c.value) << c.k;
        EXPECT_EQ(rng.Draws(), 1U);
        EXPECT_EQ(DecryptValue(kCurve, c.d, ct.point, ct.masked), c.value) << c.k;
    }
}

TEST(EncryptValue, DrawsScalarsFromTheRangeBelowTheOrder) {
    CountingRng rng(7);
    CountingRng twin(7);
    const EccPoint q = ScalarMultiplyReference(kCurve, 4242, kCurve.g);
    const EccCiphertext ct = EncryptValue(kCurve, q, 9, rng);
    const int64_t k = RandomRange(twin, kLowScalar, kCurveOrder);
    EXPECT_TRUE(Same(ct.point, ScalarMultiplyReference(kCurve, k, kCurve.g)));
    EXPECT_EQ(rng.Words(), twin.Words());
}

TEST(EncryptValue, SharedPointAtInfinityMasksWithOne) {
    // n = 163 * 613: with d a multiple of 613 and k one of 163, k*d*G is the
    // point at infinity at both ends, and the divisor is 1.
    const int64_t d = 613 * 30;
    const int64_t k = 163 * 100;
    const EccPoint q = ScalarMultiplyReference(kCurve, d, kCurve.g);
    ASSERT_TRUE(IsInfinity(ScalarMultiplyReference(kCurve, k, q)));
    for (const uint8_t value : {uint8_t{0}, uint8_t{77}, uint8_t{255}}) {
        ScriptedScalars rng({k});
        const EccCiphertext ct = EncryptValue(kCurve, q, value, rng);
        EXPECT_EQ(ct.masked, value);
        EXPECT_EQ(DecryptValue(kCurve, d, ct.point, ct.masked), value);
    }
}

TEST(EncryptValue, RedrawsAScalarThatWouldLoseTheValue) {
    const int64_t d = 27182;
    const EccPoint q = ScalarMultiplyReference(kCurve, d, kCurve.g);
    const std::vector<int64_t> lost = ScalarsWithZeroMask(q);
    ASSERT_FALSE(lost.empty());
    for (const int64_t k0 : lost) {
        const int64_t k1 = k0 == 50000 ? 50001 : 50000;
        ScriptedScalars rng({k0, k1});
        const EccCiphertext ct = EncryptValue(kCurve, q, 200, rng);
        EXPECT_EQ(rng.Draws(), 2U) << k0;
        EXPECT_TRUE(Same(ct.point, ScalarMultiplyReference(kCurve, k1, kCurve.g))) << k0;
        EXPECT_NE(ct.masked, 0) << k0;
        EXPECT_EQ(DecryptValue(kCurve, d, ct.point, ct.masked), 200) << k0;
    }
}

TEST(EncryptValue, GivesUpRedrawingForPointsThatAlwaysLoseTheValue) {
    // Off the curve, (0, 0) doubles to itself, and (0, -1) and (2p, -1)
    // count as the point at infinity: every scalar leaves the point as it is,
    // its x congruent to 0. The last draw is kept as drawn.
    for (const EccPoint q : {EccPoint{0, 0}, EccPoint{0, -1}, EccPoint{2 * kCurveP, -1}}) {
        CountingRng rng(3);
        CountingRng twin(3);
        const EccCiphertext ct = EncryptValue(kCurve, q, 123, rng);
        int64_t last = 0;
        for (int i = 0; i < kMaxScalarDraws; ++i) {
            last = RandomRange(twin, kLowScalar, kCurveOrder);
        }
        EXPECT_EQ(rng.Words(), twin.Words()) << q.x << "," << q.y;
        EXPECT_TRUE(Same(ct.point, ScalarMultiplyReference(kCurve, last, kCurve.g)));
        EXPECT_EQ(ct.masked, q.x * 123);
    }
}

TEST(DecryptDivisor, IsTheMagnitudeOfXWithZeroReadAsP) {
    struct Case {
        EccPoint shared;
        int64_t expected;
    };
    const Case cases[] = {
        {{0, 1}, kCurveP},        // x = 0 is the other form of p
        {{kCurveP, 1}, kCurveP},  // p as stored by the arithmetic
        {{-1, -1}, 1},            // the point at infinity
        {{5, -1}, 5},             // counts as infinity, but only x matters
        {{-7, 3}, 7},
        {{kMax, 0}, kMax},
        {{kMin, 0}, kMin},  // the magnitude of INT64_MIN stays negative
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DecryptDivisor(kCurve, c.shared), c.expected) << c.shared.x;
    }
}

TEST(DecryptValue, ZeroSharedXDividesByP) {
    // A scalar below 2 leaves R unchanged, so R is the shared point.
    struct Case {
        int64_t d;
        EccPoint r;
        int64_t masked;
        uint8_t expected;
    };
    const Case cases[] = {
        {1, {0, 1}, kCurveP * 7, 7},      // masked by an encryptor that saw p
        {1, {kCurveP, 1}, kCurveP * 7, 7},
        {0, {0, 99990}, kCurveP * 255, 255},
        {1, {0, 1}, 0, 0},                // masked by an encryptor that saw 0
        {-3, {0, 1}, 5, 0},
        {5, {0, 0}, kCurveP * 9, 9},      // (0, 0) doubles to itself
        {1, {0, 1}, kMin, static_cast<uint8_t>(kMin / kCurveP)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DecryptValue(kCurve, c.d, c.r, c.masked), c.expected)
            << c.d << " (" << c.r.x << "," << c.r.y << ") " << c.masked;
    }
}

TEST(DecryptValue, RecoversValuesMaskedWithEitherFormOfZero) {
    // Whatever form the chain gives d*R when its x is congruent to 0, a
    // ciphertext masked with p * value decrypts to the value.
    const int64_t d = 27182;
    const EccPoint q = ScalarMultiplyReference(kCurve, d, kCurve.g);
    for (const int64_t k : ScalarsWithZeroMask(q)) {
        const EccPoint r = ScalarMultiplyReference(kCurve, k, kCurve.g);
        EXPECT_EQ(DecryptValue(kCurve, d, r, kCurveP * 131), 131) << k;
        EXPECT_EQ(DecryptValue(kCurve, d, r, 0), 0) << k;
    }
}

TEST(DecryptValue, KeepsTheLowEightBitsOfTheTruncatedQuotient) {
    const EccPoint infinity{-1, -1};  // divisor 1
    const EccPoint seven{7, 0};       // divisor 7 with d = 1
    struct Case {
        EccPoint r;
        int64_t masked;
        uint8_t expected;
    };
    const Case cases[] = {
        {infinity, 300, 44},
        {infinity, -1, 255},
        {infinity, -300, 212},
        {seven, 7 * 200 + 6, 200},  // truncation drops the remainder
        {seven, -(7 * 3 + 6), 253},  // toward zero: -27 / 7 = -3
        {{kMin, 5}, kMin, 1},
        {{kMin, 5}, kMax, 0},
        {{3, 4}, -1, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DecryptValue(kCurve, 1, c.r, c.masked), c.expected)
            << "(" << c.r.x << "," << c.r.y << ") " << c.masked;
    }
}

}  // namespace
}  // namespace vessa
