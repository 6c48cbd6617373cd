#include "keytext/key_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vessa::KeyBlock;

// An all-zero block is 256 "0" digits, whose base64 is "MDAw" (for "000")
// 85 times and "MA==" for the last digit.
std::string ZeroBlockText() {
    std::string text;
    for (int i = 0; i < 85; ++i) {
        text += "MDAw";
    }
    return text + "MA==";
}

TEST(KeyText, ZeroBlockKnownAnswer) {
    char buf[vessa::kKeyTextBufferSize];
    ASSERT_TRUE(vessa::WriteKeyText(KeyBlock{}, buf, sizeof(buf)));
    EXPECT_EQ(std::string(buf), ZeroBlockText());

    KeyBlock back;
    back.bytes.fill(0x5A);
    ASSERT_TRUE(vessa::ReadKeyText(buf, back));
    EXPECT_EQ(back.bytes, KeyBlock{}.bytes);
}

TEST(KeyText, EveryByteValueSurvivesTheText) {
    KeyBlock block;
    for (size_t i = 0; i < block.bytes.size(); ++i) {
        block.bytes[i] = static_cast<uint8_t>(i * 2 + 1);
    }
    KeyBlock high;
    for (size_t i = 0; i < high.bytes.size(); ++i) {
        high.bytes[i] = static_cast<uint8_t>(255 - i * 2);
    }
    for (const KeyBlock &b : {block, high}) {
        char buf[vessa::kKeyTextBufferSize];
        ASSERT_TRUE(vessa::WriteKeyText(b, buf, sizeof(buf)));
        KeyBlock back;
        ASSERT_TRUE(vessa::ReadKeyText(buf, back));
        EXPECT_EQ(back.bytes, b.bytes);
    }
}

TEST(KeyText, TooSmallCapacityWritesNothing) {
    for (const int32_t capacity : {344, 1, 0, -1, -345}) {
        std::string buf(400, '#');
        EXPECT_FALSE(vessa::WriteKeyText(KeyBlock{}, buf.data(), capacity)) << capacity;
        EXPECT_EQ(buf, std::string(400, '#')) << capacity;
    }
}

TEST(KeyText, FarLongerTextIsRejected) {
    // Only 342 to 344 characters can hold a block; a valid prefix does not help.
    const std::string text = ZeroBlockText() + std::string(10000, 'A');
    KeyBlock block;
    EXPECT_FALSE(vessa::ReadKeyText(text.c_str(), block));
}

}  // namespace
