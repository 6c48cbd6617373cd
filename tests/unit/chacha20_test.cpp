// The ChaCha20 block function against the published test vector.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "random/chacha20.h"
#include "random/chacha20_blocks.h"
#include "supported_levels.h"

namespace vessa {
namespace {

std::string BlockHex(const ChaChaBlock &block) {
    std::string hex;
    char byte[3];
    for (uint32_t word : block) {
        for (int i = 0; i < 4; ++i) {
            std::snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned>((word >> (8 * i)) & 0xFFU));
            hex += byte;
        }
    }
    return hex;
}

TEST(ChaCha20, Rfc8439BlockVector) {
    ChaChaKey key{};
    for (uint32_t i = 0; i < 8; ++i) {
        const uint32_t b = 4 * i;
        key[i] = b | (b + 1) << 8 | (b + 2) << 16 | (b + 3) << 24;
    }
    const ChaChaNonce nonce{0x09000000U, 0x4a000000U, 0x00000000U};
    ChaChaBlock out{};
    ChaCha20Block(key, 1, nonce, out);
    EXPECT_EQ(BlockHex(out),
              "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
              "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e");
}

TEST(ChaCha20, CounterChangesTheBlock) {
    const ChaChaKey key{};
    ChaChaBlock first{};
    ChaChaBlock second{};
    ChaCha20Block(key, 0, ChaChaNonce{}, first);
    ChaCha20Block(key, 1, ChaChaNonce{}, second);
    EXPECT_NE(first, second);
    // Zero key, zero nonce, counter 0: the first published all-zero block.
    EXPECT_EQ(BlockHex(first).substr(0, 32), "76b8e0ada0f13d90405d6ae55386bd28");
}

TEST(ChaCha20Blocks, EveryFormEqualsSixteenSingleBlocks) {
    ChaChaKey key{};
    for (uint32_t i = 0; i < 8; ++i) {
        key[i] = 0x9E3779B9U * (i + 1);
    }
    const ChaChaNonce nonce{1, 2, 3};
    for (const VectorLevel level : SupportedLevels()) {
        for (const uint32_t counter : {0U, 7U, 0xFFFFFFF8U}) {  // the last one wraps
            uint32_t words[16 * kChaChaBatchBlocks];
            ChaCha20Blocks(key, counter, nonce, words, level);
            for (uint32_t b = 0; b < kChaChaBatchBlocks; ++b) {
                ChaChaBlock single{};
                ChaCha20Block(key, counter + b, nonce, single);
                for (size_t i = 0; i < 16; ++i) {
                    ASSERT_EQ(words[16 * b + i], single[i])
                        << static_cast<int>(level) << " " << counter << " " << b;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vessa
