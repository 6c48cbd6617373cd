// Exported key-text functions. Null pointers are outside the contract; they
// are answered with -1 rather than a crash.
#include <optional>

#include "keytext/key_text.h"
#include "support/secret_call.h"
#include "support/secure_wipe.h"
#include "vessa.h"

extern "C" {

int32_t package_private(int64_t d, char *buf, int32_t capacity) noexcept {
    // The body reaches d through this frame, which lies above the region the
    // call clears; so the parameter's copy here is cleared by hand.
    const int32_t status = vessa::SecretCall([&]() -> int32_t {
        const bool packed = buf != nullptr && vessa::PackPrivateKey(d, buf, capacity);
        return packed ? VESSA_KEY_TEXT_LEN : VESSA_ERR_INVALID;
    });
    vessa::SecureWipeObject(d);
    return status;
}

int32_t resolve_private(const char *text, int64_t *d) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        std::optional<int64_t> value = vessa::UnpackPrivateKey(text);
        const bool read = value.has_value() && d != nullptr;
        if (read) {
            *d = *value;
        }
        vessa::SecureWipeObject(value);
        return read ? VESSA_OK : VESSA_ERR_INVALID;
    });
}

int32_t package_public(EccPoint q, char *buf, int32_t capacity) noexcept {
    const bool packed = buf != nullptr && vessa::PackPublicKey(q, buf, capacity);
    return packed ? VESSA_KEY_TEXT_LEN : VESSA_ERR_INVALID;
}

int32_t resolve_public(const char *text, int64_t *x, int64_t *y) noexcept {
    if (x == nullptr || y == nullptr) {
        return VESSA_ERR_INVALID;
    }
    const std::optional<EccPoint> point = vessa::UnpackPublicKey(text);
    if (!point) {
        return VESSA_ERR_INVALID;
    }
    *x = point->x;
    *y = point->y;
    return VESSA_OK;
}

}  // extern "C"
