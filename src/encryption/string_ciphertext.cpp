#include "encryption/string_ciphertext.h"

namespace vessa {
namespace {

void StoreLow32(int64_t v, uint8_t *out) noexcept {
    const auto word = static_cast<uint32_t>(static_cast<uint64_t>(v));
    for (unsigned i = 0; i < 4; ++i) {
        out[i] = static_cast<uint8_t>(word >> (8U * i));
    }
}

int64_t LoadSigned32(const uint8_t *in) noexcept {
    uint32_t word = 0;
    for (unsigned i = 0; i < 4; ++i) {
        word |= static_cast<uint32_t>(in[i]) << (8U * i);
    }
    return int64_t{static_cast<int32_t>(word)};
}

}  // namespace

void StoreEntry(const EccCiphertext &ciphertext, uint8_t *entry) noexcept {
    StoreLow32(ciphertext.point.x, entry);
    StoreLow32(ciphertext.point.y, entry + 4);
    StoreLow32(ciphertext.masked, entry + 8);
}

EccCiphertext LoadEntry(const uint8_t *entry) noexcept {
    return EccCiphertext{{LoadSigned32(entry), LoadSigned32(entry + 4)}, LoadSigned32(entry + 8)};
}

}  // namespace vessa
