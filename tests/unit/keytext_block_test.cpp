#include "keytext/key_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using vessa::KeyBlock;

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

}  // namespace
