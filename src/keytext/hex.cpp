#include "keytext/hex.h"

namespace vessa {

void HexEncode(const uint8_t *in, size_t size, char *out) noexcept {
    for (size_t i = 0; i < size; ++i) {
        out[2 * i] = kHexDigits[in[i] >> 4];
        out[2 * i + 1] = kHexDigits[in[i] & 0x0F];
    }
}

bool HexDecode(const char *in, size_t size, uint8_t *out) noexcept {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t high = HexDigitValue(in[2 * i]);
        const uint8_t low = HexDigitValue(in[2 * i + 1]);
        if (((high | low) & kNotHexDigit) != 0) {
            return false;
        }
        out[i] = static_cast<uint8_t>((high << 4) | low);
    }
    return true;
}

}  // namespace vessa
