// The exported operations give the same results with the fast and with the
// reference arithmetic: keys derived either way are the same point, and
// what one signs or encrypts the other verifies or decrypts.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "api_helpers.h"
#include "curve/dispatch/arithmetic_mode.h"
#include "vessa.h"

namespace {

struct Point {
    int64_t x = 0;
    int64_t y = 0;
    bool operator==(const Point &) const = default;
};

Point PublicPointOf(const EccCurve *curve, const std::string &priv) {
    char pub[VESSA_KEY_TEXT_SIZE];
    Point q;
    EXPECT_EQ(ecc_generate_public(curve, priv.c_str(), pub, sizeof(pub)), VESSA_KEY_TEXT_LEN);
    EXPECT_EQ(resolve_public(pub, &q.x, &q.y), 0);
    return q;
}

class FastOperations : public testing::Test {
protected:
    void SetUp() override {
        curve_ = ecc_new();
        ASSERT_NE(curve_, nullptr);
    }
    void TearDown() override { ecc_destroy(curve_); }
    EccCurve *curve_ = nullptr;
};

TEST_F(FastOperations, PublicKeysAreTheSamePoints) {
    // Scalars at the ends of the private range, and ones that the literal
    // chain treats specially (below 2, n, above n).
    for (const int64_t d : {int64_t{14274}, int64_t{99918}, int64_t{56789}, int64_t{1},
                            int64_t{-3}, int64_t{99919}, int64_t{99921}, int64_t{2}}) {
        const std::string priv = vessa_test::PackPrivate(d);
        const Point fast = PublicPointOf(curve_, priv);
        Point reference;
        {
            const vessa::ScopedReferenceArithmetic forced;
            reference = PublicPointOf(curve_, priv);
        }
        EXPECT_EQ(fast, reference) << d;
    }
}

TEST_F(FastOperations, SignaturesAndCiphertextsCrossBetweenTheArithmetics) {
    const vessa_test::KeyPair keys = vessa_test::KeyPairFor(curve_, 31337);
    ASSERT_FALSE(keys.pub.empty());
    const char message[] = "crossing";
    const char text[] = "hi";
    for (const bool sign_with_reference : {false, true}) {
        SCOPED_TRACE(sign_with_reference ? "made by the reference" : "made by the fast path");
        int32_t s = 0;
        int32_t e = 0;
        std::vector<uint8_t> ct(2 * VESSA_CIPHERTEXT_ENTRY_SIZE);
        {
            std::optional<vessa::ScopedReferenceArithmetic> forced;
            if (sign_with_reference) {
                forced.emplace();
            }
            ASSERT_EQ(sign(curve_, keys.priv.c_str(), message, &s, &e), 0);
            ASSERT_EQ(encrypt_string(curve_, keys.pub.c_str(), text, ct.data(),
                                     static_cast<int32_t>(ct.size())),
                      static_cast<int32_t>(ct.size()));
        }
        char out[3] = {};
        if (sign_with_reference) {
            EXPECT_EQ(verify(curve_, keys.pub.c_str(), message, s, e), 0);
            EXPECT_EQ(decrypt_to_string(curve_, keys.priv.c_str(), ct.data(),
                                        static_cast<int32_t>(ct.size()), out, sizeof(out)),
                      2);
        } else {
            const vessa::ScopedReferenceArithmetic forced;
            EXPECT_EQ(verify(curve_, keys.pub.c_str(), message, s, e), 0);
            EXPECT_EQ(decrypt_to_string(curve_, keys.priv.c_str(), ct.data(),
                                        static_cast<int32_t>(ct.size()), out, sizeof(out)),
                      2);
        }
        EXPECT_STREQ(out, text);
    }
}

}  // namespace
