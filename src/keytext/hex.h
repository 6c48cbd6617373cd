// Hexadecimal coding of byte strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vessa {

inline constexpr char kHexDigits[] = "0123456789abcdef";

// Marks a non-digit in kHexDigitValue; set bits above the low nibble let a
// run of lookups be checked once, by or-ing the results together.
inline constexpr uint8_t kNotHexDigit = 0xF0;

// The value of every byte as a digit of either case, kNotHexDigit for all
// other bytes.
inline constexpr std::array<uint8_t, 256> kHexDigitValue = [] {
    std::array<uint8_t, 256> table{};
    table.fill(kNotHexDigit);
    for (uint8_t value = 0; value < 16; ++value) {
        table[static_cast<unsigned char>(kHexDigits[value])] = value;
        table[static_cast<unsigned char>("0123456789ABCDEF"[value])] = value;
    }
    return table;
}();

constexpr uint8_t HexDigitValue(char c) noexcept {
    return kHexDigitValue[static_cast<unsigned char>(c)];
}

// Writes 2*size lowercase digits (high nibble first) to out (no NUL).
void HexEncode(const uint8_t *in, size_t size, char *out) noexcept;

// Reads 2*size digits (0-9, a-f, A-F) into size bytes; returns false at the
// first pair holding a non-digit, without writing that byte or any after it
// (out may then be partly written, callers decode into scratch).
bool HexDecode(const char *in, size_t size, uint8_t *out) noexcept;

}  // namespace vessa
