#include "keytext/key_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vessa::KeyBlock;
using vessa::KeyKind;

// Hands out 16, 17, 18, ...: each word is accepted by the 8-bit draw as it
// comes (2^32 mod 254 is 16) and gives filler 1 + w % 254.
struct CountingSource {
    uint32_t next = 16;
    uint32_t taken = 0;
    uint32_t NextU32() noexcept {
        ++taken;
        return next++;
    }
};

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

TEST(KeyBlockFiller, AscendingOrderOneWordPerByteAroundTheKey) {
    struct Case {
        KeyKind kind;
        size_t key_end;
        uint32_t draws;
    };
    const Case cases[] = {{KeyKind::kPrivate, 21, 120}, {KeyKind::kPublic, 29, 112}};
    for (const Case &c : cases) {
        KeyBlock block;
        CountingSource source;
        vessa::DrawFiller(source, block, c.kind);
        EXPECT_EQ(source.taken, c.draws);
        uint8_t expected = 17;  // 1 + 16 % 254
        for (size_t i = 0; i < vessa::kKeyBlockSize; ++i) {
            if (i >= 13 && i < c.key_end) {
                EXPECT_EQ(block.bytes[i], 0) << "key byte " << i << " overwritten";
            } else {
                EXPECT_EQ(block.bytes[i], expected) << "filler byte " << i;
                ++expected;
            }
        }
    }
}

TEST(KeyPacking, FillerIsDrawnEvenWhenTheBufferIsTooSmall) {
    struct Case {
        bool is_public;
        int32_t capacity;
        bool written;
        uint32_t words;
    };
    const Case cases[] = {
        {false, 345, true, 120}, {false, 344, false, 120}, {false, 0, false, 120},
        {true, 345, true, 112},  {true, 344, false, 112},  {true, -1, false, 112},
    };
    for (const Case &c : cases) {
        CountingSource source;
        std::string buf(400, '#');
        const bool written =
            c.is_public ? vessa::PackPublicKey(source, EccPoint{-2, 3}, buf.data(), c.capacity)
                        : vessa::PackPrivateKey(source, -2, buf.data(), c.capacity);
        EXPECT_EQ(written, c.written) << c.capacity;
        EXPECT_EQ(source.taken, c.words) << c.is_public << " " << c.capacity;
        if (!c.written) {
            EXPECT_EQ(buf, std::string(400, '#'));
        }
    }
}

TEST(KeyPacking, TextHoldsTheKeyAndTheDrawnFillerInOrder) {
    CountingSource source;
    char buf[vessa::kKeyTextBufferSize];
    ASSERT_TRUE(vessa::PackPublicKey(source, EccPoint{-2, 3}, buf, sizeof(buf)));
    KeyBlock expected;
    vessa::StoreInt64(expected, vessa::kFirstKeyOffset, -2);
    vessa::StoreInt64(expected, vessa::kSecondKeyOffset, 3);
    uint8_t filler = 17;
    for (size_t i = 0; i < expected.bytes.size(); ++i) {
        if (i < 13 || i >= 29) {
            expected.bytes[i] = filler++;
        }
    }
    KeyBlock block;
    ASSERT_TRUE(vessa::ReadKeyText(buf, block));
    EXPECT_EQ(block.bytes, expected.bytes);
}

}  // namespace
