// The byte layout of an encrypted text: one 12-byte entry per text byte, at
// offset 12 * i, with no header, count or terminator. An entry holds the low
// 32 bits of R.x, R.y and masked, each little-endian; reading sign-extends
// each word. Ciphertexts made under this library's keys lose nothing: their
// coordinates lie in [-1, p] and masked stays below p * 256.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vessa.h"

namespace vessa {

inline constexpr std::size_t kEntrySize = VESSA_CIPHERTEXT_ENTRY_SIZE;

// Writes exactly kEntrySize bytes at `entry`.
void StoreEntry(const EccCiphertext &ciphertext, uint8_t *entry) noexcept;

// Reads kEntrySize bytes at `entry`.
EccCiphertext LoadEntry(const uint8_t *entry) noexcept;

}  // namespace vessa
