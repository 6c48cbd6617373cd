// Encryption of a NUL-terminated byte text into its 12-byte-per-byte form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encryption/string_ciphertext.h"
#include "vessa.h"

namespace vessa {

inline constexpr int32_t kTextLengthRefused = -2;         // bit 15 of the length set
inline constexpr int32_t kCiphertextBufferTooSmall = -4;  // 12 * length > capacity

// The number of ciphertext bytes a text of `length` bytes takes, when a
// buffer of `capacity` bytes can hold it; otherwise kTextLengthRefused when
// bit 15 (0x8000) of the length is set (one bit, not an upper bound), else
// kCiphertextBufferTooSmall. The size is formed without overflow, so a text
// whose size is beyond 2^31 - 1 bytes fits no buffer.
int32_t EncryptedTextSize(std::size_t length, int32_t capacity) noexcept;

// True when `length` bytes encrypt into `capacity` bytes: length <= capacity
// / 12, so 12 * length is never formed and cannot overflow.
constexpr bool EncryptedBytesFit(std::size_t length, std::size_t capacity) noexcept {
    return length <= capacity / kEntrySize;
}

// Encrypts `length` bytes at `data` under q, entry i at offset 12 * i of
// `out`: exactly 12 * length bytes written, whatever the byte values.
void EncryptBytes(const EccCurve &curve, EccPoint q, const uint8_t *data, std::size_t length,
                  uint8_t *out) noexcept;

// Encrypts the bytes of `text` before its NUL under q, entry i at offset
// 12 * i of `out`. Returns the bytes written or a negative status from
// EncryptedTextSize, in which case nothing is written. Never writes past the
// last entry.
int32_t EncryptText(const EccCurve &curve, EccPoint q, const char *text, uint8_t *out,
                    int32_t capacity) noexcept;

}  // namespace vessa
