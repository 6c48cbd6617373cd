#include "encryption/encrypt_text.h"

#include <cstring>
#include <limits>

#include "encryption/encrypt_value.h"
#include "encryption/string_ciphertext.h"
#include "random/thread_rng.h"

namespace vessa {

int32_t EncryptedTextSize(std::size_t length, int32_t capacity) noexcept {
    if ((length & 0x8000U) != 0) {
        return kTextLengthRefused;
    }
    constexpr std::size_t kMaxLength =
        static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) / kEntrySize;
    if (length > kMaxLength) {
        return kCiphertextBufferTooSmall;
    }
    const auto size = static_cast<int32_t>(length * kEntrySize);
    if (size > capacity) {
        return kCiphertextBufferTooSmall;
    }
    return size;
}

void EncryptBytes(const EccCurve &curve, EccPoint q, const uint8_t *data, std::size_t length,
                  uint8_t *out) noexcept {
    // The multiples of G and q are set up once for every byte.
    auto rng = thread_rng();
    const EncryptionMultiples multiples(curve, q);
    for (std::size_t i = 0; i < length; ++i) {
        StoreEntry(EncryptValue(curve, multiples, data[i], rng), out + i * kEntrySize);
    }
}

int32_t EncryptText(const EccCurve &curve, EccPoint q, const char *text, uint8_t *out,
                    int32_t capacity) noexcept {
    const std::size_t length = std::strlen(text);
    const int32_t size = EncryptedTextSize(length, capacity);
    if (size < 0) {
        return size;
    }
    EncryptBytes(curve, q, reinterpret_cast<const uint8_t *>(text), length, out);
    return size;
}

}  // namespace vessa
