// Hexadecimal coding of byte strings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vessa {

inline constexpr char kHexDigits[] = "0123456789abcdef";

// Writes 2*size lowercase digits (high nibble first) to out (no NUL).
void HexEncode(const uint8_t *in, size_t size, char *out) noexcept;

// Reads 2*size digits (0-9, a-f, A-F) into size bytes; returns false at the
// first non-digit (out may then be partly written, callers decode into
// scratch).
bool HexDecode(const char *in, size_t size, uint8_t *out) noexcept;

}  // namespace vessa
