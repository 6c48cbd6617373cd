// Decryption of the 12-byte-per-byte form back into a NUL-terminated text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vessa.h"

namespace vessa {

inline constexpr int32_t kCountNotWholeEntries = -2;  // count is not a multiple of 12
inline constexpr int32_t kTextBufferTooSmall = -3;    // no room for the bytes and the NUL

// The number of text bytes that `count` ciphertext bytes decrypt to, when a
// buffer of `capacity` bytes holds them and the NUL; otherwise a negative
// status. A negative multiple of 12 stands for the empty text, which still
// needs room for its NUL.
int32_t DecryptedTextLength(int32_t count, int32_t capacity) noexcept;

// Decrypts `count` entries (12 bytes each) with the private scalar d into
// `count` values at `out`, each exactly as DecryptValue gives it. Entries
// whose points lie in the fast domain are multiplied side by side.
void DecryptBytes(const EccCurve &curve, int64_t d, const uint8_t *entries, std::size_t count,
                  uint8_t *out) noexcept;

// Decrypts `count` bytes of ciphertext with the private scalar d into
// `out`, followed by a NUL. Returns the text length (decrypted zero bytes
// are stored as they come) or a negative status from DecryptedTextLength, in
// which case nothing is written.
int32_t DecryptText(const EccCurve &curve, int64_t d, const uint8_t *ciphertext, int32_t count,
                    char *out, int32_t capacity) noexcept;

}  // namespace vessa
