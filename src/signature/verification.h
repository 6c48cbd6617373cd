// Checking a signature against a public point.
#pragma once

#include <cstdint>
#include <span>

#include "signature/ecc_signature.h"
#include "vessa.h"

namespace vessa {

// True when MessageChallenge(message, s*G + e*Q) equals e, the scalars
// widened with their sign and multiplied by ScalarMultiply. Nothing else is
// tested: s is not range-checked and q not checked against the curve.
bool VerifyWithPoint(const EccCurve &curve, EccPoint q, std::span<const uint8_t> message,
                     EccSignature signature) noexcept;

}  // namespace vessa
