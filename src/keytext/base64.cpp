#include "keytext/base64.h"

#include <array>

namespace vessa {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';
constexpr int8_t kNotSymbol = -1;

// Symbol value of every byte, kNotSymbol outside the alphabet ("=" included:
// padding is handled before the table is consulted).
constexpr std::array<int8_t, 256> MakeDecodeTable() noexcept {
    std::array<int8_t, 256> table{};
    table.fill(kNotSymbol);
    for (int8_t value = 0; value < 64; ++value) {
        table[static_cast<unsigned char>(kAlphabet[value])] = value;
    }
    return table;
}

constexpr std::array<int8_t, 256> kDecodeTable = MakeDecodeTable();

int SymbolValue(char c) noexcept { return kDecodeTable[static_cast<unsigned char>(c)]; }

}  // namespace

size_t Base64Encode(const uint8_t *in, size_t size, char *out) noexcept {
    size_t written = 0;
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
        out[written++] = kAlphabet[(group >> 18) & 0x3F];
        out[written++] = kAlphabet[(group >> 12) & 0x3F];
        out[written++] = kAlphabet[(group >> 6) & 0x3F];
        out[written++] = kAlphabet[group & 0x3F];
    }
    const size_t rest = size - i;
    if (rest > 0) {
        const uint32_t group =
            (uint32_t{in[i]} << 16) | (rest == 2 ? uint32_t{in[i + 1]} << 8 : 0U);
        out[written++] = kAlphabet[(group >> 18) & 0x3F];
        out[written++] = kAlphabet[(group >> 12) & 0x3F];
        out[written++] = rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : kPad;
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
        const int a = SymbolValue(in[i]);
        const int b = SymbolValue(in[i + 1]);
        const int c = SymbolValue(in[i + 2]);
        const int d = SymbolValue(in[i + 3]);
        if ((a | b | c | d) < 0) {
            return std::nullopt;
        }
        const auto group = static_cast<uint32_t>((a << 18) | (b << 12) | (c << 6) | d);
        out[written++] = static_cast<uint8_t>(group >> 16);
        out[written++] = static_cast<uint8_t>(group >> 8);
        out[written++] = static_cast<uint8_t>(group);
    }
    if (tail == 0) {
        return written;
    }
    const int a = SymbolValue(in[i]);
    const int b = SymbolValue(in[i + 1]);
    const int c = tail == 3 ? SymbolValue(in[i + 2]) : 0;
    if ((a | b | c) < 0) {
        return std::nullopt;
    }
    // The bits of the last symbol beyond the final byte must be zero.
    const int unused = tail == 2 ? (b & 0x0F) : (c & 0x03);
    if (unused != 0) {
        return std::nullopt;
    }
    const auto group = static_cast<uint32_t>((a << 18) | (b << 12) | (c << 6));
    out[written++] = static_cast<uint8_t>(group >> 16);
    if (tail == 3) {
        out[written++] = static_cast<uint8_t>(group >> 8);
    }
    return written;
}

}  // namespace vessa
