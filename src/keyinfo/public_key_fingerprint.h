// A short name for a public point, the same for every packing of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "vessa.h"

namespace vessa {

inline constexpr std::size_t kFingerprintBytes = 8;
inline constexpr std::size_t kFingerprintTextLength = VESSA_FINGERPRINT_TEXT_LEN;
static_assert(kFingerprintTextLength == 2 * kFingerprintBytes);

// The first 8 bytes of SHA3-256 over 16 bytes: x, then y, each as its
// stored signed 64-bit value in eight big-endian two's-complement bytes.
// Unlike the digest encoding of a point no byte is dropped, so distinct
// stored points give distinct inputs.
std::array<uint8_t, kFingerprintBytes> PublicKeyFingerprint(EccPoint q) noexcept;

// Writes the fingerprint of q as 16 lowercase hexadecimal digits (no NUL).
void FormatPublicKeyFingerprint(EccPoint q, char *out) noexcept;

}  // namespace vessa
