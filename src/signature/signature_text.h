// The 16-character hexadecimal text of a signature.
#pragma once

#include <cstddef>

#include "signature/ecc_signature.h"
#include "vessa.h"

namespace vessa {

inline constexpr size_t kSignatureTextLength = VESSA_SIGNATURE_TEXT_LEN;

// Writes 16 lowercase digits (no NUL): the four little-endian bytes of s,
// then those of e, each byte high nibble first.
void FormatSignatureText(EccSignature signature, char *out) noexcept;

// Reads a NUL-terminated text of exactly 16 digits of either case. Returns
// false for any other length or a non-digit, leaving *signature untouched.
bool ParseSignatureText(const char *text, EccSignature *signature) noexcept;

}  // namespace vessa
