// Exported signature functions: a thin skin over the internal operations.
// Each unpacks its key text first of all, then signs or verifies the message,
// given as its bytes or as an absorbed digest state. Nothing here calls an
// exported function, so a client's own sign or verify changes nothing.
#include <cstring>
#include <optional>
#include <span>

#include "keytext/key_text.h"
#include "random/thread_rng.h"
#include "signature/message_state.h"
#include "signature/signature_text.h"
#include "signature/signing.h"
#include "signature/verification.h"
#include "support/secret_call.h"
#include "support/secure_wipe.h"
#include "vessa.h"

namespace {

using vessa::EccSignature;

// The message is its bytes before the first NUL, read in place.
std::span<const uint8_t> TextBytes(const char *msg) noexcept {
    return {reinterpret_cast<const uint8_t *>(msg), std::strlen(msg)};
}

std::span<const uint8_t> Bytes(const uint8_t *msg, size_t len) noexcept {
    return len == 0 ? std::span<const uint8_t>{} : std::span<const uint8_t>{msg, len};
}

// The message is found only after the key has been read, so that a
// malformed key costs nothing: `message()` gives its bytes or its state.
template <typename MessageSource>
int32_t SignWithKeyText(const EccCurve &curve, const char *priv, MessageSource message,
                        EccSignature &out) noexcept {
    std::optional<int64_t> d = vessa::UnpackPrivateKey(priv);
    if (d) {
        auto rng = vessa::thread_rng();
        out = vessa::SignMessage(curve, *d, message(), rng);
    }
    const int32_t rc = d ? VESSA_OK : VESSA_ERR_INVALID;
    vessa::SecureWipeObject(d);
    return rc;
}

template <typename MessageSource>
int32_t VerifyWithKeyText(const EccCurve &curve, const char *pub, MessageSource message,
                          EccSignature signature) noexcept {
    const std::optional<EccPoint> q = vessa::UnpackPublicKey(pub);
    if (!q) {
        return VESSA_ERR_INVALID;
    }
    return vessa::VerifyWithPoint(curve, *q, message(), signature) ? VESSA_OK : VESSA_ERR_INVALID;
}

void WriteSignature(int32_t status, EccSignature signature, int32_t *s, int32_t *e) noexcept {
    if (status == VESSA_OK) {
        *s = signature.s;
        *e = signature.e;
    }
}

}  // namespace

extern "C" {

int32_t sign(const EccCurve *curve, const char *priv, const char *msg, int32_t *s,
             int32_t *e) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        EccSignature signature{};
        const int32_t rc =
            SignWithKeyText(*curve, priv, [msg] { return TextBytes(msg); }, signature);
        WriteSignature(rc, signature, s, e);
        return rc;
    });
}

int32_t verify(const EccCurve *curve, const char *pub, const char *msg, int32_t s,
               int32_t e) noexcept {
    return VerifyWithKeyText(*curve, pub, [msg] { return TextBytes(msg); }, {s, e});
}

int32_t sign_to_hex_string(const EccCurve *curve, const char *priv, const char *msg, char *buf,
                           uint32_t size) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        EccSignature signature{};
        int32_t rc = SignWithKeyText(*curve, priv, [msg] { return TextBytes(msg); }, signature);
        // Tested after signing: a short buffer still costs one signature.
        if (rc == VESSA_OK && size < VESSA_SIGNATURE_TEXT_SIZE) {
            rc = VESSA_ERR_INVALID;
        }
        if (rc == VESSA_OK) {
            vessa::FormatSignatureText(signature, buf);
            buf[vessa::kSignatureTextLength] = '\0';
        }
        return rc;
    });
}

int32_t verify_from_hex_string(const EccCurve *curve, const char *pub, const char *msg,
                               const char *sig) noexcept {
    EccSignature signature{};
    if (!vessa::ParseSignatureText(sig, &signature)) {
        return VESSA_ERR_INVALID;
    }
    return VerifyWithKeyText(*curve, pub, [msg] { return TextBytes(msg); }, signature);
}

int32_t vessa_sign_bytes(const EccCurve *curve, const char *priv, const uint8_t *msg, size_t len,
                         int32_t *s, int32_t *e) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        EccSignature signature{};
        const int32_t rc =
            SignWithKeyText(*curve, priv, [msg, len] { return Bytes(msg, len); }, signature);
        WriteSignature(rc, signature, s, e);
        return rc;
    });
}

int32_t vessa_verify_bytes(const EccCurve *curve, const char *pub, const uint8_t *msg, size_t len,
                           int32_t s, int32_t e) noexcept {
    return VerifyWithKeyText(*curve, pub, [msg, len] { return Bytes(msg, len); }, {s, e});
}

void vessa_message_init(VessaMessage *m) noexcept { vessa::InitMessageState(*m); }

void vessa_message_update(VessaMessage *m, const void *data, size_t len) noexcept {
    vessa::UpdateMessageState(*m, static_cast<const uint8_t *>(data), len);
}

int32_t vessa_sign_message(const EccCurve *curve, const char *priv, const VessaMessage *m,
                           int32_t *s, int32_t *e) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        EccSignature signature{};
        const int32_t rc = SignWithKeyText(
            *curve, priv, [m] { return vessa::LoadMessageState(*m); }, signature);
        WriteSignature(rc, signature, s, e);
        return rc;
    });
}

int32_t vessa_verify_message(const EccCurve *curve, const char *pub, const VessaMessage *m,
                             int32_t s, int32_t e) noexcept {
    return VerifyWithKeyText(*curve, pub, [m] { return vessa::LoadMessageState(*m); }, {s, e});
}

void vessa_message_wipe(VessaMessage *m) noexcept { vessa::SecureWipeObject(*m); }

}  // extern "C"
