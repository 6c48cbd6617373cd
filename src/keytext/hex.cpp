#include "keytext/hex.h"

namespace vessa {
namespace {

// The value of one digit of either case, or -1 for any other byte.
constexpr int DigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

void HexEncode(const uint8_t *in, size_t size, char *out) noexcept {
    for (size_t i = 0; i < size; ++i) {
        out[2 * i] = kHexDigits[in[i] >> 4];
        out[2 * i + 1] = kHexDigits[in[i] & 0x0F];
    }
}

bool HexDecode(const char *in, size_t size, uint8_t *out) noexcept {
    for (size_t i = 0; i < size; ++i) {
        const int high = DigitValue(in[2 * i]);
        if (high < 0) {
            return false;
        }
        const int low = DigitValue(in[2 * i + 1]);
        if (low < 0) {
            return false;
        }
        out[i] = static_cast<uint8_t>((high << 4) | low);
    }
    return true;
}

}  // namespace vessa
