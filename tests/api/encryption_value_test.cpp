// encrypt and decrypt as clients call them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "api_helpers.h"
#include "curve_fixture.h"
#include "vessa.h"

namespace {

using vessa_test::GenerateKeyPair;
using vessa_test::KeyPair;
using vessa_test::KeyPairFor;
using vessa_test::PackPrivate;
using vessa_test::PackPublic;

constexpr int64_t kP = 99991;

class EncryptValueApi : public vessa_test::CurveWithKeysTest {
protected:

    static EccCiphertext Encrypt(const std::string &pub, uint8_t value) {
        EccCiphertext ct{{-7, -7}, -7};
        EXPECT_EQ(encrypt(curve_, pub.c_str(), value, &ct), 0);
        return ct;
    }
    static uint8_t Decrypt(const std::string &priv, const EccCiphertext &ct) {
        uint8_t value = 0;
        EXPECT_EQ(decrypt(curve_, priv.c_str(), &value, ct), 0);
        return value;
    }
    static EccPoint PublicPointOf(int64_t d) {
        const KeyPair pair = KeyPairFor(curve_, d);
        EccPoint q{0, 0};
        EXPECT_EQ(resolve_public(pair.pub.c_str(), &q.x, &q.y), 0);
        return q;
    }

};


TEST_F(EncryptValueApi, EveryValueRoundTrips) {
    for (int v = 0; v <= 255; ++v) {
        const auto value = static_cast<uint8_t>(v);
        EXPECT_EQ(Decrypt(keys_.priv, Encrypt(keys_.pub, value)), value);
    }
}

TEST_F(EncryptValueApi, SameValueTwiceGivesTwoRecordsThatBothDecrypt) {
    const EccCiphertext first = Encrypt(keys_.pub, 99);
    const EccCiphertext second = Encrypt(keys_.pub, 99);
    EXPECT_FALSE(first.point.x == second.point.x && first.point.y == second.point.y &&
                 first.masked == second.masked);
    EXPECT_EQ(Decrypt(keys_.priv, first), 99);
    EXPECT_EQ(Decrypt(keys_.priv, second), 99);
}

TEST_F(EncryptValueApi, ZeroMasksToZeroAndOtherValuesDoNot) {
    const EccCiphertext zero = Encrypt(keys_.pub, 0);
    EXPECT_EQ(zero.masked, 0);
    EXPECT_EQ(Decrypt(keys_.priv, zero), 0);
    const EccCiphertext one = Encrypt(keys_.pub, 1);
    EXPECT_GT(one.masked, 0);
    EXPECT_LT(one.masked, kP);  // never a multiple of p: that would lose the value
}

TEST_F(EncryptValueApi, SharedPointAtInfinityDecryptsThroughDivisorOne) {
    // n = 163 * 613: d = 613 * 30 and R = (163 * 100) * G make d*R the point
    // at infinity, so masked is the value itself.
    const KeyPair pair = KeyPairFor(curve_, 613 * 30);
    const EccPoint r = PublicPointOf(163 * 100);
    for (const uint8_t value : {uint8_t{0}, uint8_t{1}, uint8_t{200}, uint8_t{255}}) {
        EXPECT_EQ(Decrypt(pair.priv, EccCiphertext{r, value}), value);
    }
}

TEST_F(EncryptValueApi, ZeroSharedXDecryptsThroughP) {
    // With the scalar 1 the ciphertext's own point is the shared point.
    const std::string one = PackPrivate(1);
    struct Case {
        EccCiphertext ct;
        uint8_t expected;
    };
    const Case cases[] = {
        {{{0, 1}, kP * 65}, 65},      // encryptor saw x stored as p
        {{{kP, 1}, kP * 65}, 65},
        {{{0, 99990}, kP * 255}, 255},
        {{{0, 1}, 0}, 0},             // encryptor saw x = 0: the value was lost
        {{{0, 0}, 12345}, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Decrypt(one, c.ct), c.expected) << c.ct.point.x << " " << c.ct.masked;
    }
}

TEST_F(EncryptValueApi, HandMadePointsThatAlwaysLoseTheValueStillEncrypt) {
    // Every scalar leaves these points as they are, x congruent to 0; encrypt
    // stops redrawing and keeps the last draw.
    struct Case {
        EccPoint q;
        int64_t masked;
    };
    const Case cases[] = {{{0, 0}, 0}, {{0, -1}, 0}, {{2 * kP, -1}, 2 * kP * 50}};
    for (const Case &c : cases) {
        const EccCiphertext ct = Encrypt(PackPublic(c.q.x, c.q.y), 50);
        EXPECT_EQ(ct.masked, c.masked) << c.q.x << "," << c.q.y;
        EXPECT_GE(ct.point.x, 0);
        EXPECT_LE(ct.point.x, kP);
    }
}

TEST_F(EncryptValueApi, MalformedKeyTextsLeaveTheOutputAlone) {
    std::string damaged = keys_.pub;
    damaged[10] = '!';
    const std::string texts[] = {"", "abc", keys_.pub.substr(1), keys_.pub + "A", damaged};
    for (const std::string &text : texts) {
        EccCiphertext ct{{-7, -8}, -9};
        EXPECT_EQ(encrypt(curve_, text.c_str(), 5, &ct), -1) << text;
        EXPECT_EQ(ct.point.x, -7);
        EXPECT_EQ(ct.point.y, -8);
        EXPECT_EQ(ct.masked, -9);
        uint8_t value = 0xEE;
        EXPECT_EQ(decrypt(curve_, text.c_str(), &value, EccCiphertext{{-1, -1}, 5}), -1) << text;
        EXPECT_EQ(value, 0xEE);
    }
}

TEST_F(EncryptValueApi, WrongPrivateKeySucceedsWithWrongValues) {
    const KeyPair other = GenerateKeyPair(curve_);
    ASSERT_NE(other.priv, keys_.priv);
    int wrong = 0;
    for (uint8_t v = 10; v < 18; ++v) {
        wrong += Decrypt(other.priv, Encrypt(keys_.pub, v)) != v ? 1 : 0;
    }
    EXPECT_GT(wrong, 0);
}

}  // namespace
