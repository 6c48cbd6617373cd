// Exported key-text functions. Null pointers are outside the contract; they
// are answered with -1 rather than a crash.
#include "keytext/key_text.h"
#include "support/stack_wipe.h"
#include "vessa.h"

extern "C" {

int32_t package_private(int64_t d, char *buf, int32_t capacity) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        if (buf == nullptr) {
            return -1;
        }
        return vessa::PackPrivateKey(d, buf, capacity) ? VESSA_KEY_TEXT_LEN : -1;
    });
}

int32_t resolve_private(const char *text, int64_t *d) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        if (text == nullptr || d == nullptr) {
            return -1;
        }
        const auto value = vessa::UnpackPrivateKey(text);
        if (!value) {
            return -1;
        }
        *d = *value;
        return 0;
    });
}

int32_t package_public(EccPoint q, char *buf, int32_t capacity) {
    if (buf == nullptr) {
        return -1;
    }
    return vessa::PackPublicKey(q, buf, capacity) ? VESSA_KEY_TEXT_LEN : -1;
}

int32_t resolve_public(const char *text, int64_t *x, int64_t *y) {
    if (text == nullptr || x == nullptr || y == nullptr) {
        return -1;
    }
    const auto point = vessa::UnpackPublicKey(text);
    if (!point) {
        return -1;
    }
    *x = point->x;
    *y = point->y;
    return 0;
}

}  // extern "C"
