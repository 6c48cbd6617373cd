#include "keytext/key_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

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

namespace {

// Words from a script, one at a time; the bulk form hands out the same ones.
struct ScriptedWords {
    std::vector<uint32_t> words;
    size_t next = 0;
    uint32_t NextU32() noexcept { return words[next++]; }
};

struct ScriptedBulkWords : ScriptedWords {
    void NextWords(uint32_t *out, size_t count) noexcept {
        for (size_t i = 0; i < count; ++i) {
            out[i] = NextU32();
        }
    }
};

TEST(DrawFiller, InBulkConsumesAndMapsWordsAsOneDrawPerByte) {
    // Words below 16 (2^32 mod 254) are rejected by the draw: at the start,
    // inside, and at the end of the bulk.
    std::vector<uint32_t> script(300);
    for (size_t i = 0; i < script.size(); ++i) {
        script[i] = static_cast<uint32_t>(i * 2654435761U);
    }
    for (const size_t at : {size_t{0}, size_t{5}, size_t{6}, size_t{111}, size_t{119}}) {
        script[at] = static_cast<uint32_t>(at % 16);
    }
    for (const auto kind : {vessa::KeyKind::kPrivate, vessa::KeyKind::kPublic}) {
        ScriptedWords single{script};
        ScriptedBulkWords bulk;
        bulk.words = script;
        KeyBlock one{};
        KeyBlock many{};
        vessa::DrawFiller(single, one, kind);
        vessa::DrawFiller(bulk, many, kind);
        EXPECT_EQ(one.bytes, many.bytes);
        EXPECT_EQ(single.next, bulk.next);
    }
}

}  // namespace
