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

// The digest state after absorbing the whole message: what signing and
// verifying start from, whether the message came in one piece or many.
Sha3_256 AbsorbedMessage(std::span<const uint8_t> message) noexcept;

// SignatureChallenge of SHA3-256(message || PointBytes(nonce_point)), with
// nothing between or around the two parts, from the state that has absorbed
// the message (copied, never changed). Signing and verifying both use it.
int32_t MessageChallenge(const Sha3_256 &absorbed_message, EccPoint nonce_point) noexcept;

// The same from the message bytes.
int32_t MessageChallenge(std::span<const uint8_t> message, EccPoint nonce_point) noexcept;

}  // namespace vessa
