#include "signature/signature_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

std::string Format(vessa::EccSignature signature) {
    std::string text(vessa::kSignatureTextLength, '?');
    vessa::FormatSignatureText(signature, text.data());
    return text;
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(SignatureText, LittleEndianBytesOfSThenE) {
    struct Case {
        int32_t s;
        int32_t e;
        const char *text;
    };
    const Case cases[] = {
        {0x7FFEB940, 42, "40b9fe7f2a000000"},
        {0, 0, "0000000000000000"},
        {kMax, kMin, "ffffff7f00000080"},
        {-1, 1, "ffffffff01000000"},
        {2147383728, 0x01020304, "b079fe7f04030201"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Format({c.s, c.e}), c.text) << c.text;
        vessa::EccSignature back{};
        ASSERT_TRUE(vessa::ParseSignatureText(c.text, &back)) << c.text;
        EXPECT_EQ(back.s, c.s) << c.text;
        EXPECT_EQ(back.e, c.e) << c.text;
    }
}

TEST(SignatureText, ReadsEitherCase) {
    const char *texts[] = {"40B9FE7F2A000000", "40b9FE7f2A000000"};
    for (const char *text : texts) {
        vessa::EccSignature back{};
        ASSERT_TRUE(vessa::ParseSignatureText(text, &back)) << text;
        EXPECT_EQ(back.s, 0x7FFEB940) << text;
        EXPECT_EQ(back.e, 42) << text;
    }
}

TEST(SignatureText, RejectsWrongLengthOrNonDigitAndWritesNothing) {
    const std::string cases[] = {
        "",
        "40b9fe7f2a00000",     // 15
        "40b9fe7f2a0000000",   // 17
        "40b9fe7f2a000000 ",   // trailing space makes 17
        "40b9fe7f 2a00000",    // space inside
        "40b9fe7f2a00000g",    // g
        "g0b9fe7f2a000000",
        "0x40b9fe7f2a0000",    // prefix
        "-0b9fe7f2a000000",    // sign
        std::string(1000, '0'),
    };
    for (const std::string &text : cases) {
        vessa::EccSignature back{123, 456};
        EXPECT_FALSE(vessa::ParseSignatureText(text.c_str(), &back)) << text;
        EXPECT_EQ(back.s, 123) << text;
        EXPECT_EQ(back.e, 456) << text;
    }
}

TEST(SignatureText, OnlyTheBytesBeforeTheNulCount) {
    const char text[] = "40b9fe7f2a000000\0ff";
    vessa::EccSignature back{};
    EXPECT_TRUE(vessa::ParseSignatureText(text, &back));
    const char shortened[] = "40b9fe7f2a00000\0" "0";
    EXPECT_FALSE(vessa::ParseSignatureText(shortened, &back));
}

}  // namespace
