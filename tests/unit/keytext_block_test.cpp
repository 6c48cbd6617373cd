#include "keytext/key_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using vessa::KeyBlock;
using vessa::KeyKind;

// Hands out 16, 17, 18, ...: 2^32 mod 254 is 16, so words below 16 would be
// rejected by the 8-bit draw and these are the first words each accepted as
// they come, word w giving filler 1 + w % 254.
struct CountingSource {
    uint32_t next = 16;
    uint32_t taken = 0;
    uint32_t NextU32() noexcept {
        ++taken;
        return next++;
    }
};

TEST(KeyBlockInt64, LittleEndianTwosComplementAtOffset) {
    struct Case {
        int64_t value;
        uint8_t bytes[8];
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {1, {1, 0, 0, 0, 0, 0, 0, 0}},
        {-1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {0x0123456789ABCDEF, {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01}},
        {std::numeric_limits<int64_t>::min(), {0, 0, 0, 0, 0, 0, 0, 0x80}},
        {std::numeric_limits<int64_t>::max(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case &c : cases) {
        KeyBlock block;
        vessa::StoreInt64(block, vessa::kFirstKeyOffset, c.value);
        for (size_t i = 0; i < vessa::kKeyBlockSize; ++i) {
            const bool in_key = i >= 13 && i < 21;
            EXPECT_EQ(block.bytes[i], in_key ? c.bytes[i - 13] : 0) << c.value << " @" << i;
        }
        EXPECT_EQ(vessa::LoadInt64(block, vessa::kFirstKeyOffset), c.value);
    }
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

}  // namespace
