// sign_to_hex_string and verify_from_hex_string as clients call them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "api_helpers.h"
#include "curve_fixture.h"
#include "vessa.h"

namespace {

using vessa_test::GenerateKeyPair;
using vessa_test::KeyPair;

class SignatureHexApi : public vessa_test::CurveWithKeysTest {
protected:

    static std::string SignHex(const char *msg) {
        char buf[VESSA_SIGNATURE_TEXT_SIZE];
        EXPECT_EQ(sign_to_hex_string(curve_, keys_.priv.c_str(), msg, buf, sizeof(buf)), 0);
        return std::string(buf);
    }
    static int32_t VerifyHex(const std::string &pub, const char *msg, const std::string &sig) {
        return verify_from_hex_string(curve_, pub.c_str(), msg, sig.c_str());
    }

};


std::string Upper(std::string text) {
    for (char &c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The 32-bit word written as eight digits from `offset`, low byte first.
uint32_t LittleEndianWordAt(const std::string &text, size_t offset) {
    uint32_t word = 0;
    for (size_t i = 4; i-- > 0;) {
        const std::string byte = text.substr(offset + 2 * i, 2);
        word = (word << 8) | static_cast<uint32_t>(std::stoul(byte, nullptr, 16));
    }
    return word;
}

TEST_F(SignatureHexApi, BufferSizeIsTestedAsUnsigned) {
    struct Case {
        uint32_t size;
        int32_t result;
    };
    const Case cases[] = {{0, -1}, {1, -1}, {16, -1}, {17, 0}, {18, 0}, {0x80000000U, 0},
                          {UINT32_MAX, 0}};
    for (const Case &c : cases) {
        char buf[32];
        std::memset(buf, '#', sizeof(buf));
        EXPECT_EQ(sign_to_hex_string(curve_, keys_.priv.c_str(), "sized", buf, c.size), c.result)
            << c.size;
        if (c.result < 0) {
            EXPECT_EQ(std::string(buf, sizeof(buf)), std::string(sizeof(buf), '#')) << c.size;
            continue;
        }
        // 16 lowercase digits and a NUL, never more.
        for (size_t i = 0; i < 16; ++i) {
            EXPECT_TRUE(std::strchr("0123456789abcdef", buf[i]) != nullptr) << c.size << " " << i;
        }
        EXPECT_EQ(buf[16], '\0') << c.size;
        EXPECT_EQ(std::string(buf + 17, sizeof(buf) - 17), std::string(sizeof(buf) - 17, '#'));
        EXPECT_EQ(VerifyHex(keys_.pub, "sized", buf), 0) << c.size;
    }
}

TEST_F(SignatureHexApi, TextCarriesSThenELittleEndian) {
    for (int i = 0; i < 100; ++i) {
        // Half the messages carry bytes above 0x7f.
        const std::string message =
            std::string(i % 2 == 0 ? "" : "\xff\x80").append(std::to_string(i));
        const std::string text = SignHex(message.c_str());
        ASSERT_EQ(text.size(), 16U);
        // s lies in [2147383728, 2147483646]: its high bytes are fe7f or ff7f.
        const std::string high = text.substr(4, 4);
        EXPECT_TRUE(high == "fe7f" || high == "ff7f") << text;
        const uint32_t s = LittleEndianWordAt(text, 0);
        const uint32_t e = LittleEndianWordAt(text, 8);
        EXPECT_EQ(verify(curve_, keys_.pub.c_str(), message.c_str(), static_cast<int32_t>(s),
                         static_cast<int32_t>(e)),
                  0)
            << text;
    }
}

TEST_F(SignatureHexApi, EitherCaseVerifiesAlike) {
    const char *message = "case";
    const std::string lower = SignHex(message);
    std::string mixed = lower;
    for (size_t i = 0; i < mixed.size(); i += 2) {
        mixed[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[i])));
    }
    for (const std::string &text : {lower, Upper(lower), mixed}) {
        EXPECT_EQ(VerifyHex(keys_.pub, message, text), 0) << text;
        EXPECT_EQ(VerifyHex(keys_.pub, "other", text), -1) << text;
    }
}

TEST_F(SignatureHexApi, MalformedTextFailsWhateverTheKey) {
    const char *message = "shape";
    const std::string good = SignHex(message);
    ASSERT_EQ(VerifyHex(keys_.pub, message, good), 0);
    std::string with_space = good;
    with_space[3] = ' ';
    std::string with_g = good;
    with_g[15] = 'g';
    const std::string texts[] = {
        good.substr(0, 15), good + "0", good + " ", std::string(" ").append(good, 1), with_space,
        with_g, "", std::string("0x").append(good, 2),
    };
    const std::string keys[] = {keys_.pub, "", "not a key text"};
    for (const std::string &text : texts) {
        for (const std::string &pub : keys) {
            EXPECT_EQ(VerifyHex(pub, message, text), -1) << text << " / " << pub.size();
        }
    }
}

TEST_F(SignatureHexApi, MalformedPrivateKeyWritesNothing) {
    char buf[VESSA_SIGNATURE_TEXT_SIZE];
    std::memset(buf, '#', sizeof(buf));
    for (const char *priv : {"", "AAAA", "*"}) {
        EXPECT_EQ(sign_to_hex_string(curve_, priv, "m", buf, sizeof(buf)), -1) << priv;
        EXPECT_EQ(std::string(buf, sizeof(buf)), std::string(sizeof(buf), '#')) << priv;
    }
}

}  // namespace
