#include "encryption/decrypt_text.h"

#include <cstddef>

#include "encryption/decrypt_value.h"
#include "encryption/string_ciphertext.h"

namespace vessa {

int32_t DecryptedTextLength(int32_t count, int32_t capacity) noexcept {
    constexpr auto kEntry = static_cast<int32_t>(kEntrySize);
    if (count % kEntry != 0) {
        return kCountNotWholeEntries;
    }
    int32_t length = count / kEntry;
    if (length < 0) {
        length = 0;
    }
    if (length >= capacity) {
        return kTextBufferTooSmall;
    }
    return length;
}

void DecryptBytes(const EccCurve &curve, int64_t d, const uint8_t *ciphertext,
                  std::size_t entries, uint8_t *out) noexcept {
    for (std::size_t i = 0; i < entries; ++i) {
        const EccCiphertext entry = LoadEntry(ciphertext + i * kEntrySize);
        out[i] = DecryptValue(curve, d, entry.point, entry.masked);
    }
}

int32_t DecryptText(const EccCurve &curve, int64_t d, const uint8_t *ciphertext, int32_t count,
                    char *out, int32_t capacity) noexcept {
    const int32_t length = DecryptedTextLength(count, capacity);
    if (length < 0) {
        return length;
    }
    const auto n = static_cast<std::size_t>(length);
    DecryptBytes(curve, d, ciphertext, n, reinterpret_cast<uint8_t *>(out));
    out[n] = '\0';
    return length;
}

}  // namespace vessa
