// The 128-byte block behind every key text.
//
// A key's bytes sit at fixed offsets; every other byte is random filler from
// 1 to 254, drawn anew for each packing so that one key never packs to the
// same text twice. There is no marker, version or check value: a private and
// a public block differ only in how many bytes after offset 13 carry key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "random/random_range.h"
#include "support/secure_wipe.h"

namespace vessa {

inline constexpr size_t kKeyBlockSize = 128;
// The scalar, or x, is stored at offsets 13-20; y follows at 21-28.
inline constexpr size_t kFirstKeyOffset = 13;
inline constexpr size_t kSecondKeyOffset = kFirstKeyOffset + sizeof(int64_t);

struct KeyBlock {
    std::array<uint8_t, kKeyBlockSize> bytes{};
};

// The 16 block bytes that can hold key bytes, from offset kFirstKeyOffset.
using KeyWindow = std::array<uint8_t, 2 * sizeof(int64_t)>;

enum class KeyKind { kPrivate, kPublic };

// One past the last key byte of a block of that kind.
constexpr size_t KeyEnd(KeyKind kind) noexcept {
    return kSecondKeyOffset + (kind == KeyKind::kPublic ? sizeof(int64_t) : 0);
}

// Stores value little-endian, two's complement, at offset..offset+7.
void StoreInt64(KeyBlock &block, size_t offset, int64_t value) noexcept;

// Reads the little-endian two's-complement value at offset..offset+7.
int64_t LoadInt64(const KeyBlock &block, size_t offset) noexcept;

// Fills every non-key byte with one draw from [1, 255) each, in ascending
// offset order: 0-12 first, then from KeyEnd(kind) to 127. The draw order is
// part of the format's reproducibility under a seeded generator.
template <WordSource Source>
void DrawFiller(Source &source, KeyBlock &block, KeyKind kind) noexcept {
    if constexpr (requires(uint32_t *words) { source.NextWords(words, size_t{1}); }) {
        // In bulk: as many words as there are filler bytes, each byte taking
        // the next word RandomRange would accept, so the words are consumed
        // exactly as one draw per byte consumes them (a rejected word, one in
        // 2^28, moves the rest along; the missing words then come one by one).
        constexpr uint32_t kRange = 254;
        constexpr uint32_t kRejectBelow = (0U - kRange) % kRange;
        std::array<uint32_t, kKeyBlockSize> words;
        const size_t count = kKeyBlockSize - (KeyEnd(kind) - kFirstKeyOffset);
        source.NextWords(words.data(), count);
        size_t next = 0;
        const auto draw = [&]() -> uint8_t {
            uint32_t word = next < count ? words[next++] : source.NextU32();
            while (word < kRejectBelow) {
                word = next < count ? words[next++] : source.NextU32();
            }
            return static_cast<uint8_t>(1 + word % kRange);
        };
        for (size_t i = 0; i < kFirstKeyOffset; ++i) {
            block.bytes[i] = draw();
        }
        for (size_t i = KeyEnd(kind); i < kKeyBlockSize; ++i) {
            block.bytes[i] = draw();
        }
        SecureWipeObject(words);
    } else {
        const auto draw = [&source] { return RandomRange(source, uint8_t{1}, uint8_t{255}); };
        for (size_t i = 0; i < kFirstKeyOffset; ++i) {
            block.bytes[i] = draw();
        }
        for (size_t i = KeyEnd(kind); i < kKeyBlockSize; ++i) {
            block.bytes[i] = draw();
        }
    }
}

}  // namespace vessa
