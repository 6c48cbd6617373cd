// Exported encryption functions: a thin skin over the internal operations.
// Each unpacks its key text first of all, then checks sizes, then runs the
// operation; nothing here calls an exported function.
#include <optional>

#include "encryption/decrypt_text.h"
#include "encryption/decrypt_value.h"
#include "encryption/encrypt_text.h"
#include "encryption/encrypt_value.h"
#include "encryption/string_ciphertext.h"
#include "keytext/key_text.h"
#include "support/secret_call.h"
#include "support/secure_wipe.h"
#include "vessa.h"

extern "C" {

int32_t encrypt(const EccCurve *curve, const char *pub, uint8_t value,
                EccCiphertext *out) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
        if (q) {
            *out = vessa::EncryptValue(*curve, *q, value);
        }
        return q ? VESSA_OK : VESSA_ERR_INVALID;
    });
}

int32_t decrypt(const EccCurve *curve, const char *priv, uint8_t *value,
                EccCiphertext ct) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        std::optional<int64_t> d = vessa::UnpackPrivateKey(priv);
        const int32_t rc = d ? VESSA_OK : VESSA_ERR_INVALID;
        if (d) {
            *value = vessa::DecryptValue(*curve, *d, ct.point, ct.masked);
        }
        vessa::SecureWipeObject(d);
        return rc;
    });
}

int32_t encrypt_string(const EccCurve *curve, const char *pub, const char *text, uint8_t *out,
                       int32_t capacity) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
        return q ? vessa::EncryptText(*curve, *q, text, out, capacity) : VESSA_ERR_INVALID;
    });
}

int32_t decrypt_to_string(const EccCurve *curve, const char *priv, const uint8_t *ct,
                          int32_t count, char *out, int32_t capacity) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        std::optional<int64_t> d = vessa::UnpackPrivateKey(priv);
        const int32_t rc =
            d ? vessa::DecryptText(*curve, *d, ct, count, out, capacity) : VESSA_ERR_INVALID;
        vessa::SecureWipeObject(d);
        return rc;
    });
}

int32_t vessa_encrypt_bytes(const EccCurve *curve, const char *pub, const uint8_t *data,
                            size_t len, uint8_t *out, size_t capacity) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
        int32_t rc = VESSA_OK;
        if (!q) {
            rc = VESSA_ERR_INVALID;
        } else if (!vessa::EncryptedBytesFit(len, capacity)) {
            rc = VESSA_ERR_CIPHERTEXT_BUFFER;
        } else {
            vessa::EncryptBytes(*curve, *q, data, len, out);
        }
        return rc;
    });
}

int32_t vessa_decrypt_bytes(const EccCurve *curve, const char *priv, const uint8_t *ct,
                            size_t count, uint8_t *out, size_t capacity) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        std::optional<int64_t> d = vessa::UnpackPrivateKey(priv);
        int32_t rc = VESSA_OK;
        if (!d) {
            rc = VESSA_ERR_INVALID;
        } else if (count % vessa::kEntrySize != 0) {
            rc = VESSA_ERR_LENGTH;
        } else if (capacity < count / vessa::kEntrySize) {
            rc = VESSA_ERR_PLAINTEXT_BUFFER;
        } else {
            vessa::DecryptBytes(*curve, *d, ct, count / vessa::kEntrySize, out);
        }
        vessa::SecureWipeObject(d);
        return rc;
    });
}

}  // extern "C"
