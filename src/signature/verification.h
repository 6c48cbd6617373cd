// Checking a signature against a public point.
#pragma once

#include <cstdint>
#include <span>

#include "signature/ecc_signature.h"
#include "signature/sha3_256.h"
#include "signature/signature_challenge.h"
#include "vessa.h"

namespace vessa {

// True when MessageChallenge(message, s*G + e*Q) equals e, the scalars
// widened with their sign and multiplied by ScalarMultiply. Nothing else is
// tested: s is not range-checked and q not checked against the curve.
// The message is given as the digest state that has absorbed it (not
// changed), or as its bytes.
bool VerifyWithPoint(const EccCurve &curve, EccPoint q, const Sha3_256 &absorbed_message,
                     EccSignature signature) noexcept;

inline bool VerifyWithPoint(const EccCurve &curve, EccPoint q, std::span<const uint8_t> message,
                            EccSignature signature) noexcept {
    return VerifyWithPoint(curve, q, AbsorbedMessage(message), signature);
}

}  // namespace vessa
