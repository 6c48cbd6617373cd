// Key generation through the exported functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "api_helpers.h"
#include "vessa.h"

namespace {

using vessa_test::PackPrivate;
using vessa_test::PackPublic;

constexpr char kCanary = '#';

class KeyGeneration : public ::testing::Test {
protected:
    static void SetUpTestSuite() { curve_ = ecc_new(); }
    static void TearDownTestSuite() {
        ecc_destroy(curve_);
        curve_ = nullptr;
    }
    static const EccCurve *curve() { return curve_; }

    static EccPoint PublicOf(const std::string &priv) {
        char pub[VESSA_KEY_TEXT_SIZE];
        EXPECT_EQ(ecc_generate_public(curve_, priv.c_str(), pub, sizeof(pub)), VESSA_KEY_TEXT_LEN);
        EccPoint q{0, 0};
        EXPECT_EQ(resolve_public(pub, &q.x, &q.y), 0);
        return q;
    }

private:
    static inline EccCurve *curve_ = nullptr;
};

TEST_F(KeyGeneration, PublicKeysOfChosenScalars) {
    struct Case {
        int64_t d;
        EccPoint q;
        const char *shows;
    };
    const Case cases[] = {
        {14274, {54539, 9345}, "smallest generated scalar"},
        {2, {99664, 35140}, "doubling"},
        {1, {2617, 5304}, "d = 1 is G"},
        {0, {2617, 5304}, "d = 0 is G"},
        {-5, {2617, 5304}, "negative d is G"},
        {std::numeric_limits<int64_t>::min(), {2617, 5304}, "most negative d is G"},
        {99919, {-1, -1}, "d = n is the point at infinity"},
        {99920, {2617, 5304}, "d = n + 1 reduces to 1"},
        {99919 + 14274, {54539, 9345}, "d > n reduces modulo n"},
    };
    for (const Case &c : cases) {
        const EccPoint q = PublicOf(PackPrivate(c.d));
        EXPECT_EQ(q.x, c.q.x) << c.shows;
        EXPECT_EQ(q.y, c.q.y) << c.shows;
    }
}

TEST_F(KeyGeneration, GeneratedScalarsStayInTheirRange) {
    int64_t lowest = std::numeric_limits<int64_t>::max();
    int64_t highest = std::numeric_limits<int64_t>::min();
    for (int i = 0; i < 3000; ++i) {
        char buf[VESSA_KEY_TEXT_SIZE];
        ASSERT_EQ(ecc_generate_private(curve(), buf, sizeof(buf)), VESSA_KEY_TEXT_LEN);
        int64_t d = 0;
        ASSERT_EQ(resolve_private(buf, &d), 0);
        ASSERT_GE(d, 14274);
        ASSERT_LE(d, 99918);
        lowest = std::min(lowest, d);
        highest = std::max(highest, d);
    }
    // 3000 uniform draws over 85645 values: spread over most of the range.
    EXPECT_LT(lowest, 14274 + 2000);
    EXPECT_GT(highest, 99918 - 2000);
}

TEST_F(KeyGeneration, GeneratedPublicKeysLieOnTheCurve) {
    for (int i = 0; i < 10; ++i) {
        const vessa_test::KeyPair pair = vessa_test::GenerateKeyPair(curve());
        ASSERT_EQ(pair.pub.size(), 344u);
        int64_t x = 0;
        int64_t y = 0;
        ASSERT_EQ(resolve_public(pair.pub.c_str(), &x, &y), 0);
        ASSERT_GE(x, 0);
        ASSERT_GE(y, 0);
        const int64_t p = 99991;
        EXPECT_EQ(y * y % p, ((x * x % p) * x + x + 1) % p) << x << "," << y;
    }
}

TEST_F(KeyGeneration, TwoGeneratedTextsDiffer) {
    char a[VESSA_KEY_TEXT_SIZE];
    char b[VESSA_KEY_TEXT_SIZE];
    ASSERT_EQ(ecc_generate_private(curve(), a, sizeof(a)), VESSA_KEY_TEXT_LEN);
    ASSERT_EQ(ecc_generate_private(curve(), b, sizeof(b)), VESSA_KEY_TEXT_LEN);
    EXPECT_NE(std::string(a), std::string(b));
    // The same scalar packed twice differs too.
    const std::string priv = PackPrivate(20000);
    char p[VESSA_KEY_TEXT_SIZE];
    char q[VESSA_KEY_TEXT_SIZE];
    ASSERT_EQ(ecc_generate_public(curve(), priv.c_str(), p, sizeof(p)), VESSA_KEY_TEXT_LEN);
    ASSERT_EQ(ecc_generate_public(curve(), priv.c_str(), q, sizeof(q)), VESSA_KEY_TEXT_LEN);
    EXPECT_NE(std::string(p), std::string(q));
}

TEST_F(KeyGeneration, CapacityIsTestedByPacking) {
    const std::string priv = PackPrivate(14274);
    for (const int32_t len : {345, 344, 1, 0, -1, std::numeric_limits<int32_t>::min()}) {
        std::string a(400, kCanary);
        std::string b(400, kCanary);
        const int32_t ra = ecc_generate_private(curve(), a.data(), len);
        const int32_t rb = ecc_generate_public(curve(), priv.c_str(), b.data(), len);
        if (len >= 345) {
            EXPECT_EQ(ra, 344);
            EXPECT_EQ(rb, 344);
            EXPECT_EQ(a[344], '\0');
            EXPECT_EQ(b[344], '\0');
            EXPECT_EQ(a.substr(345), std::string(55, kCanary));
            EXPECT_EQ(b.substr(345), std::string(55, kCanary));
        } else {
            EXPECT_EQ(ra, -1) << len;
            EXPECT_EQ(rb, -1) << len;
            EXPECT_EQ(a, std::string(400, kCanary)) << len;
            EXPECT_EQ(b, std::string(400, kCanary)) << len;
        }
    }
}

TEST_F(KeyGeneration, MalformedPrivateTextIsPassedThrough) {
    const std::string good = PackPrivate(14274);
    for (const std::string &priv : {std::string(), good + "\n", good.substr(0, 341),
                                    good.substr(0, 100) + "-" + good.substr(101)}) {
        std::string buf(400, kCanary);
        EXPECT_EQ(ecc_generate_public(curve(), priv.c_str(), buf.data(), VESSA_KEY_TEXT_SIZE), -1);
        EXPECT_EQ(buf, std::string(400, kCanary));
    }
}

TEST_F(KeyGeneration, NullPointersAreAnsweredWithMinusOne) {
    const std::string priv = PackPrivate(14274);
    std::string buf(400, kCanary);
    EXPECT_EQ(ecc_generate_private(nullptr, buf.data(), VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(ecc_generate_public(nullptr, priv.c_str(), buf.data(), VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(ecc_generate_public(curve(), nullptr, buf.data(), VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(buf, std::string(400, kCanary));
    EXPECT_EQ(ecc_generate_private(curve(), nullptr, VESSA_KEY_TEXT_SIZE), -1);
    EXPECT_EQ(ecc_generate_public(curve(), priv.c_str(), nullptr, VESSA_KEY_TEXT_SIZE), -1);
}

// ---- Interface 1.1: telling public keys apart ----------------------------

std::string Fingerprint(const std::string &pub) {
    char buf[VESSA_FINGERPRINT_TEXT_SIZE];
    if (vessa_public_key_fingerprint(pub.c_str(), buf, sizeof(buf)) != VESSA_OK) {
        return {};
    }
    return buf;
}

TEST_F(KeyGeneration, PublicKeyCheckTellsCurvePointsFromEverythingElse) {
    constexpr int64_t kP = 99991;
    struct Case {
        const char *what;
        std::string text;
        int32_t expected;
    };
    const Case cases[] = {
        {"base point", PackPublic(2617, 5304), VESSA_OK},
        {"x = 0", PackPublic(0, 1), VESSA_OK},
        {"x = 0 stored as p", PackPublic(kP, 1), VESSA_OK},
        {"x = 0, other y", PackPublic(0, kP - 1), VESSA_OK},
        {"point at infinity", PackPublic(-1, -1), VESSA_ERR_NOT_ON_CURVE},
        {"y off by one", PackPublic(2617, 5305), VESSA_ERR_NOT_ON_CURVE},
        {"x plus p", PackPublic(2617 + kP, 5304), VESSA_ERR_NOT_ON_CURVE},
        {"y minus p", PackPublic(2617, 5304 - kP), VESSA_ERR_NOT_ON_CURVE},
        {"y plus p", PackPublic(2617, 5304 + kP), VESSA_ERR_NOT_ON_CURVE},
        {"x = p, y = 0", PackPublic(kP, 0), VESSA_ERR_NOT_ON_CURVE},
        {"extremes", PackPublic(INT64_MIN, INT64_MAX), VESSA_ERR_NOT_ON_CURVE},
        {"private text, smallest", PackPrivate(14274), VESSA_ERR_NOT_ON_CURVE},
        {"private text, largest", PackPrivate(99918), VESSA_ERR_NOT_ON_CURVE},
        {"private text, zero", PackPrivate(0), VESSA_ERR_NOT_ON_CURVE},
        {"private text, negative", PackPrivate(-1), VESSA_ERR_NOT_ON_CURVE},
        {"private text, base x", PackPrivate(2617), VESSA_ERR_NOT_ON_CURVE},
        {"private text, INT64_MIN", PackPrivate(INT64_MIN), VESSA_ERR_NOT_ON_CURVE},
        {"malformed", "not a key", VESSA_ERR_INVALID},
        {"empty", "", VESSA_ERR_INVALID},
    };
    for (const Case &c : cases) {
        ASSERT_FALSE(c.text.empty() && c.expected != VESSA_ERR_INVALID) << c.what;
        EXPECT_EQ(vessa_public_key_check(curve(), c.text.c_str()), c.expected) << c.what;
    }
    for (int i = 0; i < 20; ++i) {
        const vessa_test::KeyPair pair = vessa_test::GenerateKeyPair(curve());
        EXPECT_EQ(vessa_public_key_check(curve(), pair.pub.c_str()), VESSA_OK) << pair.pub;
        EXPECT_EQ(vessa_public_key_check(curve(), pair.priv.c_str()), VESSA_ERR_NOT_ON_CURVE);
    }
}

TEST_F(KeyGeneration, FingerprintNamesThePointNotThePacking) {
    // SHA3-256 of the sixteen big-endian bytes of x and y, first 8 bytes.
    EXPECT_EQ(Fingerprint(PackPublic(2617, 5304)), "c15f0e70e134b86f");
    EXPECT_EQ(Fingerprint(PackPublic(0, 1)), "f1232a8cea9ae1d5");
    EXPECT_EQ(Fingerprint(PackPublic(99991, 1)), "420b5ae113195aa0");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const vessa_test::KeyPair pair = vessa_test::GenerateKeyPair(curve());
        const std::string fingerprint = Fingerprint(pair.pub);
        ASSERT_EQ(fingerprint.size(), size_t{VESSA_FINGERPRINT_TEXT_LEN});
        EXPECT_EQ(fingerprint.find_first_not_of("0123456789abcdef"), std::string::npos);
        for (int packing = 0; packing < 5; ++packing) {
            char again[VESSA_KEY_TEXT_SIZE];
            ASSERT_EQ(ecc_generate_public(curve(), pair.priv.c_str(), again, sizeof(again)),
                      VESSA_KEY_TEXT_LEN);
            ASSERT_NE(std::string(again), pair.pub);
            EXPECT_EQ(Fingerprint(again), fingerprint);
        }
        seen.insert(fingerprint);
    }
    EXPECT_GE(seen.size(), 48u);  // two of 50 generated keys may share a point
}

TEST_F(KeyGeneration, FingerprintCapacityAndMalformedKey) {
    const std::string pub = PackPublic(2617, 5304);
    for (const size_t capacity : {size_t{17}, size_t{16}, size_t{0}}) {
        std::string buf(24, kCanary);
        const int32_t expected = capacity >= 17 ? VESSA_OK : VESSA_ERR_INVALID;
        EXPECT_EQ(vessa_public_key_fingerprint(pub.c_str(), buf.data(), capacity), expected);
        EXPECT_EQ(buf, expected == VESSA_OK ? std::string("c15f0e70e134b86f") + '\0' +
                                                  std::string(7, kCanary)
                                            : std::string(24, kCanary));
    }
    std::string buf(24, kCanary);
    EXPECT_EQ(vessa_public_key_fingerprint("", buf.data(), buf.size()), VESSA_ERR_INVALID);
    EXPECT_EQ(buf, std::string(24, kCanary));
}

TEST(LibraryVersion, MatchesTheHeader) {
    EXPECT_STREQ(vessa_version(), VESSA_VERSION_STRING);
    EXPECT_EQ(std::to_string(VESSA_VERSION_MAJOR) + "." + std::to_string(VESSA_VERSION_MINOR) +
                  "." + std::to_string(VESSA_VERSION_PATCH),
              VESSA_VERSION_STRING);
}

}  // namespace
