// The ChaCha20 block function (20 rounds, 32-bit block counter layout of
// RFC 8439: key words 4-11, counter word 12, nonce words 13-15).
#pragma once

#include <array>
#include <cstdint>

namespace vessa {

using ChaChaKey = std::array<uint32_t, 8>;
using ChaChaNonce = std::array<uint32_t, 3>;
using ChaChaBlock = std::array<uint32_t, 16>;

// One 64-byte keystream block as 16 little-endian words.
void ChaCha20Block(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                   ChaChaBlock &out) noexcept;

}  // namespace vessa
