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

}  // namespace
