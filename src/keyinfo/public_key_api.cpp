// Exported functions that tell public keys apart and check them.
#include <optional>

#include "keyinfo/public_key_check.h"
#include "keyinfo/public_key_fingerprint.h"
#include "keytext/key_text.h"
#include "vessa.h"

extern "C" {

int32_t vessa_public_key_fingerprint(const char *pub, char *buf, size_t capacity) noexcept {
    const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
    if (!q || capacity < VESSA_FINGERPRINT_TEXT_SIZE) {
        return VESSA_ERR_INVALID;
    }
    vessa::FormatPublicKeyFingerprint(*q, buf);
    buf[vessa::kFingerprintTextLength] = '\0';
    return VESSA_OK;
}

int32_t vessa_public_key_check(const EccCurve *curve, const char *pub) noexcept {
    const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
    if (!q) {
        return VESSA_ERR_INVALID;
    }
    return vessa::IsStoredCurvePoint(*curve, *q) ? VESSA_OK : VESSA_ERR_NOT_ON_CURVE;
}

}  // extern "C"
