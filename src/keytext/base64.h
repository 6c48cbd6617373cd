// Base64 coding with the standard alphabet ("+" and "/") and "=" padding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vessa {

inline constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Marks a non-symbol in kBase64SymbolValue. Symbol values fit in six bits, so
// a run of lookups can be or-ed together and checked once.
inline constexpr uint8_t kNotBase64Symbol = 0x80;

// The symbol value of every byte, kNotBase64Symbol outside the alphabet ("="
// included: padding is not a symbol).
inline constexpr std::array<uint8_t, 256> kBase64SymbolValue = [] {
    std::array<uint8_t, 256> table{};
    table.fill(kNotBase64Symbol);
    for (uint8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(kBase64Alphabet[value])] = value;
    }
    return table;
}();

constexpr uint8_t Base64SymbolValue(char c) noexcept {
    return kBase64SymbolValue[static_cast<unsigned char>(c)];
}

// Characters the padded encoding of `size` bytes takes.
constexpr size_t Base64EncodedSize(size_t size) noexcept { return (size + 2) / 3 * 4; }

// Writes the padded encoding of in[0, size) to out (no NUL); returns the
// number of characters written, Base64EncodedSize(size).
size_t Base64Encode(const uint8_t *in, size_t size, char *out) noexcept;

// Strict decoding of in[0, size) into out, which holds `capacity` bytes.
// Accepted: symbols of the standard alphabet only; "=" only as padding in the
// third and fourth place of the last group, with nothing after it, and the
// padding may be complete, partial or absent; never a last group of a single
// symbol; unused low bits of the last symbol must be zero (the canonical
// encoding only). Returns the decoded length, or nullopt when the text breaks
// a rule or decodes to more than `capacity` bytes. Nothing is written unless
// the length fits; on a bad symbol out may be partly written, so callers
// decode into scratch.
std::optional<size_t> Base64Decode(const char *in, size_t size, uint8_t *out,
                                   size_t capacity) noexcept;

}  // namespace vessa
