// Exported encryption functions. Each unpacks its key text first of all,
// through the exported key-text functions, then runs the internal operation.
#include "encryption/decrypt_text.h"
#include "encryption/decrypt_value.h"
#include "encryption/encrypt_text.h"
#include "encryption/encrypt_value.h"
#include "support/secure_wipe.h"
#include "support/stack_wipe.h"
#include "vessa.h"

namespace {

constexpr int32_t kMalformedKey = -1;

}  // namespace

extern "C" {

int32_t encrypt(const EccCurve *curve, const char *pub, uint8_t value, EccCiphertext *out) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t x = 0;
        int64_t y = 0;
        const int32_t rc = resolve_public(pub, &x, &y);
        if (rc < 0) {
            return rc;
        }
        *out = vessa::EncryptValue(*curve, EccPoint{x, y}, value);
        return 0;
    });
}

int32_t decrypt(const EccCurve *curve, const char *priv, uint8_t *value, EccCiphertext ct) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t d = 0;
        const int32_t rc = resolve_private(priv, &d);
        if (rc < 0) {
            return rc;
        }
        *value = vessa::DecryptValue(*curve, d, ct.point, ct.masked);
        vessa::SecureWipeObject(d);
        return 0;
    });
}

int32_t encrypt_string(const EccCurve *curve, const char *pub, const char *text, uint8_t *out,
                       int32_t capacity) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t x = 0;
        int64_t y = 0;
        if (resolve_public(pub, &x, &y) < 0) {
            return kMalformedKey;
        }
        return vessa::EncryptText(*curve, EccPoint{x, y}, text, out, capacity);
    });
}

int32_t decrypt_to_string(const EccCurve *curve, const char *priv, const uint8_t *ct,
                          int32_t count, char *out, int32_t capacity) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t d = 0;
        if (resolve_private(priv, &d) < 0) {
            return kMalformedKey;
        }
        const int32_t rc = vessa::DecryptText(*curve, d, ct, count, out, capacity);
        vessa::SecureWipeObject(d);
        return rc;
    });
}

}  // extern "C"
