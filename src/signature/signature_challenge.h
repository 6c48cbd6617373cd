// The challenge e of a signature, cut from a SHA3-256 digest.
#pragma once

#include <cstdint>
#include <span>

#include "signature/sha3_256.h"
#include "vessa.h"

namespace vessa {

// The first four digest bytes as a little-endian signed 32-bit integer, made
// non-negative with wrap-around: 00 00 00 80 stays -2147483648.
int32_t SignatureChallenge(const Sha3_256::Digest &digest) noexcept;

// SignatureChallenge of SHA3-256(message || PointBytes(nonce_point)), with
// nothing between or around the two parts. Signing and verifying both use it.
int32_t MessageChallenge(std::span<const uint8_t> message, EccPoint nonce_point) noexcept;

}  // namespace vessa
