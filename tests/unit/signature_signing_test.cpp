#include "signature/signing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "curve/curve_params.h"

namespace {

using vessa::kCurveOrder;

const EccCurve kCurve{vessa::kCurveA, vessa::kCurveB, vessa::kCurveP,
                      vessa::kCurveH, vessa::kCurveOrder, vessa::kBasePoint};

constexpr int64_t kLowestResponse = 2147483647 - kCurveOrder;  // 2147383728
constexpr int64_t kHighestResponse = 2147483646;

std::span<const uint8_t> Bytes(const std::string &text) {
    return {reinterpret_cast<const uint8_t *>(text.data()), text.size()};
}

TEST(LiftResponse, LargestValueBelowTheCeilingInTheClass) {
    struct Case {
        int64_t v;
        int32_t s;
    };
    const Case cases[] = {
        {0, 2147459148},  // 2147483646 - (2147483646 mod n)
        {kCurveOrder, 2147459148},
        {1, 2147459149},
        {24498, 2147483646},  // 2147483646 is itself congruent to 24498
        {24499, 2147383728},  // one past: wraps to the bottom of the range
        {kCurveOrder - 1, 2147459147},
        {2 * kCurveOrder - 1, 2147459147},  // the most ModReduce ever gives
    };
    for (const Case &c : cases) {
        EXPECT_EQ(vessa::LiftResponse(c.v, kCurveOrder), c.s) << c.v;
    }
}

TEST(LiftResponse, EveryResidueLandsInRangeAndClass) {
    for (int64_t v = 0; v <= kCurveOrder; ++v) {
        const int64_t s = vessa::LiftResponse(v, kCurveOrder);
        ASSERT_GE(s, kLowestResponse) << v;
        ASSERT_LE(s, kHighestResponse) << v;
        ASSERT_EQ((s - v) % kCurveOrder, 0) << v;
    }
}

TEST(SignWithNonce, WrappingKeysGiveADefiniteResponse) {
    // Hand-made scalars: e*d wraps, yet s stays in range (and the sanitizers
    // see no overflow).
    const int64_t keys[] = {0, -1, std::numeric_limits<int64_t>::min(),
                            std::numeric_limits<int64_t>::max(), kCurveOrder};
    for (const int64_t d : keys) {
        const vessa::NonceSignature made = vessa::SignWithNonce(kCurve, d, 777, Bytes("x"));
        EXPECT_GE(made.signature.s, kLowestResponse) << d;
        EXPECT_LE(made.signature.s, kHighestResponse) << d;
    }
}

TEST(SignWithNonce, KnownAnswers) {
    // Computed once, apart from this library, by a plain transcription of the
    // literal arithmetic (k - 1 additions with the extended Euclid, int64
    // wrap-around emulated on unbounded integers) and a stock SHA3-256.
    struct Case {
        int64_t d, k;
        const char *message;
        EccPoint r;
        int32_t s, e;
    };
    const Case cases[] = {
        {14274, 1, "", {2617, 5304}, 2147385712, 864384805},
        {56789, 2, "abc", {99664, 35140}, 2147396726, 25340657},
        {99918, 99918, "The quick brown fox jumps over the lazy dog", {2617, 94687}, 2147464673,
         1256486951},
        {31337, 30293, "zero x", {0, 99990}, 2147433348, 1498443762},
        {31337, 69626, "zero x", {0, 1}, 2147403102, 1656328245},
        {-5, 12345, "\xff\x80\x01", {72538, 15217}, 2147446476, 1477257444},
        {0, 777, "x", {5878, 77290}, 2147459925, 1782844238},
        {std::numeric_limits<int64_t>::max(), 4242, "wrap", {1554, 61184}, 2147421932, 179413066},
        {std::numeric_limits<int64_t>::min(), 50000, "wrap", {95560, 94293}, 2147409229,
         1520059698},
        {42, 99917, nullptr, {99664, 64851}, 2147421250, 1628552135},  // 200 times "a"
    };
    for (const Case &c : cases) {
        const std::string message = c.message != nullptr ? c.message : std::string(200, 'a');
        const vessa::NonceSignature made = vessa::SignWithNonce(kCurve, c.d, c.k, Bytes(message));
        EXPECT_EQ(made.r.x, c.r.x) << c.d << " " << c.k;
        EXPECT_EQ(made.r.y, c.r.y) << c.d << " " << c.k;
        EXPECT_EQ(made.signature.s, c.s) << c.d << " " << c.k;
        EXPECT_EQ(made.signature.e, c.e) << c.d << " " << c.k;
    }
}

// Hands out the words that make RandomRange(1, n) return the scripted nonces
// in turn (the last one repeats), and counts the draws.
class ScriptedNonces {
public:
    explicit ScriptedNonces(std::vector<int64_t> nonces) : nonces_(std::move(nonces)) {}

    uint32_t NextU32() noexcept {
        // Each draw reads a low and a high word; (k - 1) + (n - 1) is never
        // rejected and reduces to k - 1 modulo the range n - 1.
        const bool low_half = (words_++ % 2) == 0;
        if (!low_half) {
            return 0;
        }
        const int64_t k = nonces_[std::min(draws_++, nonces_.size() - 1)];
        return static_cast<uint32_t>((k - 1) + (kCurveOrder - 1));
    }

    size_t draws() const { return draws_; }

private:
    std::vector<int64_t> nonces_;
    size_t words_ = 0;
    size_t draws_ = 0;
};

TEST(SignMessage, RedrawsOnlyWhileTheDrawCannotVerify) {
    const int64_t d = 14274;
    const std::string message = "redraw";
    struct Case {
        const char *name;
        std::vector<int64_t> nonces;
        size_t draws;
        int64_t used;
    };
    const Case cases[] = {
        {"first draw kept", {12345, 999}, 1, 12345},
        {"zero-x nonce redrawn", {30293, 12345}, 2, 12345},
        {"both zero-x nonces redrawn", {69626, 30293, 4321}, 3, 4321},
        {"bounded: last draw returned", {30293}, vessa::kMaxNonceDraws, 30293},
    };
    for (const Case &c : cases) {
        ScriptedNonces nonces(c.nonces);
        const vessa::EccSignature signature = vessa::SignMessage(kCurve, d, Bytes(message), nonces);
        EXPECT_EQ(nonces.draws(), c.draws) << c.name;
        const vessa::EccSignature expected =
            vessa::SignWithNonce(kCurve, d, c.used, Bytes(message)).signature;
        EXPECT_EQ(signature.s, expected.s) << c.name;
        EXPECT_EQ(signature.e, expected.e) << c.name;
    }
}

}  // namespace
