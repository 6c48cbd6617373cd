#include "signature/signature_text.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "keytext/hex.h"
#include "support/little_endian.h"

namespace vessa {

void FormatSignatureText(EccSignature signature, char *out) noexcept {
    std::array<uint8_t, kSignatureTextLength / 2> bytes{};
    StoreLittleEndian(static_cast<uint32_t>(signature.s), bytes.data());
    StoreLittleEndian(static_cast<uint32_t>(signature.e), bytes.data() + 4);
    HexEncode(bytes.data(), bytes.size(), out);
}

bool ParseSignatureText(const char *text, EccSignature *signature) noexcept {
    // strnlen stops one past the wanted length, so a long text is not scanned.
    if (strnlen(text, kSignatureTextLength + 1) != kSignatureTextLength) {
        return false;
    }
    std::array<uint8_t, kSignatureTextLength / 2> bytes{};
    if (!HexDecode(text, bytes.size(), bytes.data())) {
        return false;
    }
    *signature = {static_cast<int32_t>(LoadLittleEndian<uint32_t>(bytes.data())),
                  static_cast<int32_t>(LoadLittleEndian<uint32_t>(bytes.data() + 4))};
    return true;
}

}  // namespace vessa
