#include "encryption/string_ciphertext.h"

#include "support/little_endian.h"

namespace vessa {
namespace {

// Only the low 32 bits of each field are kept; reading sign-extends them.
void StoreLow32(int64_t v, uint8_t *out) noexcept {
    StoreLittleEndian(static_cast<uint32_t>(static_cast<uint64_t>(v)), out);
}

int64_t LoadSigned32(const uint8_t *in) noexcept {
    return int64_t{static_cast<int32_t>(LoadLittleEndian<uint32_t>(in))};
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
