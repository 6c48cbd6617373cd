// Many ChaCha20 blocks at once: consecutive counters side by side in the
// lanes of vectors (sixteen blocks per 512-bit vector set, eight per 256-bit
// one), the form chosen at run time (see support/vector_level.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "random/chacha20.h"
#include "support/vector_level.h"

namespace vessa {

inline constexpr std::size_t kChaChaBatchBlocks = 16;

// Blocks counter, counter + 1, ..., counter + 15 (the counter wraps modulo
// 2^32), block b as words out[16 b] to out[16 b + 15]: exactly what sixteen
// calls of ChaCha20Block give. Leaves no key material on the stack.
void ChaCha20Blocks(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                    uint32_t *out, VectorLevel level) noexcept;

inline void ChaCha20Blocks(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                           uint32_t *out) noexcept {
    ChaCha20Blocks(key, counter, nonce, out, ChosenVectorLevel());
}

}  // namespace vessa
