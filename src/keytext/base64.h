// Base64 coding with the standard alphabet ("+" and "/") and "=" padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vessa {

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
