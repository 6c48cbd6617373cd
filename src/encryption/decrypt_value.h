// Decryption of one byte value: masked / |S.x| with S = d*R, low 8 bits.
#pragma once

#include <cstdint>

#include "vessa.h"

namespace vessa {

// The divisor for a shared point: |S.x|, except that x = 0 is read as p,
// the other way the curve arithmetic stores that x. So a ciphertext masked
// with p * value still decrypts to the value, and no ciphertext, whatever
// its bytes, reaches a division by zero.
int64_t DecryptDivisor(const EccCurve &curve, const EccPoint &shared) noexcept;

// The low 8 bits of masked / divisor (truncating); the divisor is never 0
// or -1 when it comes from DecryptDivisor.
uint8_t ValueFromDivisor(int64_t masked, int64_t divisor) noexcept;

// The value that the ciphertext (r, masked) holds for the private scalar d.
// A wrong key or damaged ciphertext is not detected and gives some value.
uint8_t DecryptValue(const EccCurve &curve, int64_t d, EccPoint r, int64_t masked) noexcept;

}  // namespace vessa
