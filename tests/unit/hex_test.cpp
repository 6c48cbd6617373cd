#include "keytext/hex.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(HexEncode, WritesLowercaseHighNibbleFirst) {
    const std::array<uint8_t, 5> bytes{0x00, 0x01, 0xAB, 0xF0, 0xFF};
    std::string out(10, '?');
    vessa::HexEncode(bytes.data(), bytes.size(), out.data());
    EXPECT_EQ(out, "0001abf0ff");
}

TEST(HexEncode, EveryByteRoundTrips) {
    std::array<uint8_t, 256> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    std::array<char, 512> text{};
    vessa::HexEncode(bytes.data(), bytes.size(), text.data());
    std::array<uint8_t, 256> back{};
    ASSERT_TRUE(vessa::HexDecode(text.data(), back.size(), back.data()));
    EXPECT_EQ(back, bytes);
}

TEST(HexDecode, AcceptsEitherCase) {
    struct Case {
        const char *text;
        uint8_t value;
    };
    const Case cases[] = {{"00", 0x00}, {"9f", 0x9F}, {"9F", 0x9F}, {"aB", 0xAB}, {"Ff", 0xFF}};
    for (const Case &c : cases) {
        uint8_t out = 0;
        EXPECT_TRUE(vessa::HexDecode(c.text, 1, &out)) << c.text;
        EXPECT_EQ(out, c.value) << c.text;
    }
}

TEST(HexDecode, RejectsEveryNonDigitInEitherPlace) {
    const std::string digits = "0123456789abcdefABCDEF";
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (digits.find(c) != std::string::npos) {
            continue;
        }
        const char high[2] = {c, '0'};
        const char low[2] = {'0', c};
        uint8_t out = 0;
        EXPECT_FALSE(vessa::HexDecode(high, 1, &out)) << b;
        EXPECT_FALSE(vessa::HexDecode(low, 1, &out)) << b;
    }
}

TEST(HexDecode, StopsAtFirstBadPair) {
    std::array<uint8_t, 3> out{0x11, 0x22, 0x33};
    EXPECT_FALSE(vessa::HexDecode("aaxxbb", 3, out.data()));
    EXPECT_EQ(out[2], 0x33);  // never reached
}

}  // namespace
