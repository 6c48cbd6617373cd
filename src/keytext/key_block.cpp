#include "keytext/key_block.h"

#include "support/little_endian.h"

namespace vessa {

void StoreInt64(KeyBlock &block, size_t offset, int64_t value) noexcept {
    StoreLittleEndian(static_cast<uint64_t>(value), block.bytes.data() + offset);
}

int64_t LoadInt64(const KeyBlock &block, size_t offset) noexcept {
    // Conversion of an out-of-range value to a signed type is modular since
    // C++20, so this is the two's-complement reading.
    return static_cast<int64_t>(LoadLittleEndian<uint64_t>(block.bytes.data() + offset));
}

}  // namespace vessa
