#include "keytext/base64.h"

#include <array>

namespace vessa {
namespace {

constexpr char kPad = '=';

}  // namespace

size_t Base64Encode(const uint8_t *in, size_t size, char *out) noexcept {
    size_t written = 0;
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
        out[written++] = kBase64Alphabet[(group >> 18) & 0x3F];
        out[written++] = kBase64Alphabet[(group >> 12) & 0x3F];
        out[written++] = kBase64Alphabet[(group >> 6) & 0x3F];
        out[written++] = kBase64Alphabet[group & 0x3F];
    }
    const size_t rest = size - i;
    if (rest > 0) {
        const uint32_t group =
            (uint32_t{in[i]} << 16) | (rest == 2 ? uint32_t{in[i + 1]} << 8 : 0U);
        out[written++] = kBase64Alphabet[(group >> 18) & 0x3F];
        out[written++] = kBase64Alphabet[(group >> 12) & 0x3F];
        out[written++] = rest == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : kPad;
        out[written++] = kPad;
    }
    return written;
}

std::optional<size_t> Base64Decode(const char *in, size_t size, uint8_t *out,
                                   size_t capacity) noexcept {
    // Split off the padding: at most two "=", standing in the third and
    // fourth place of the last group. Any other "=" fails as a non-symbol.
    size_t padding = 0;
    while (padding < size && in[size - 1 - padding] == kPad) {
        ++padding;
    }
    const size_t symbols = size - padding;
    const size_t tail = symbols % 4;  // symbols in a final partial group
    if (tail == 1) {
        return std::nullopt;
    }
    if (padding > 0 && (tail == 0 || tail + padding > 4)) {
        return std::nullopt;
    }
    const size_t decoded = symbols / 4 * 3 + (tail == 0 ? 0 : tail - 1);
    if (decoded > capacity) {
        return std::nullopt;
    }

    size_t written = 0;
    size_t i = 0;
    for (; i + 4 <= symbols; i += 4) {
        const uint32_t a = Base64SymbolValue(in[i]);
        const uint32_t b = Base64SymbolValue(in[i + 1]);
        const uint32_t c = Base64SymbolValue(in[i + 2]);
        const uint32_t d = Base64SymbolValue(in[i + 3]);
        if (((a | b | c | d) & kNotBase64Symbol) != 0) {
            return std::nullopt;
        }
        const uint32_t group = (a << 18) | (b << 12) | (c << 6) | d;
        out[written++] = static_cast<uint8_t>(group >> 16);
        out[written++] = static_cast<uint8_t>(group >> 8);
        out[written++] = static_cast<uint8_t>(group);
    }
    if (tail == 0) {
        return written;
    }
    const uint32_t a = Base64SymbolValue(in[i]);
    const uint32_t b = Base64SymbolValue(in[i + 1]);
    const uint32_t c = tail == 3 ? Base64SymbolValue(in[i + 2]) : 0U;
    if (((a | b | c) & kNotBase64Symbol) != 0) {
        return std::nullopt;
    }
    // The bits of the last symbol beyond the final byte must be zero.
    const uint32_t unused = tail == 2 ? (b & 0x0F) : (c & 0x03);
    if (unused != 0) {
        return std::nullopt;
    }
    const uint32_t group = (a << 18) | (b << 12) | (c << 6);
    out[written++] = static_cast<uint8_t>(group >> 16);
    if (tail == 3) {
        out[written++] = static_cast<uint8_t>(group >> 8);
    }
    return written;
}

}  // namespace vessa
