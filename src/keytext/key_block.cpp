#include "keytext/key_block.h"

namespace vessa {

void StoreInt64(KeyBlock &block, size_t offset, int64_t value) noexcept {
    auto bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < sizeof(int64_t); ++i) {
        block.bytes[offset + i] = static_cast<uint8_t>(bits);
        bits >>= 8;
    }
}

int64_t LoadInt64(const KeyBlock &block, size_t offset) noexcept {
    uint64_t bits = 0;
    for (size_t i = sizeof(int64_t); i-- > 0;) {
        bits = (bits << 8) | block.bytes[offset + i];
    }
    // Conversion of an out-of-range value to a signed type is modular since
    // C++20, so this is the two's-complement reading.
    return static_cast<int64_t>(bits);
}

}  // namespace vessa
