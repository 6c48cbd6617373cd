// Exported signature functions. The text forms go through the exported sign
// and verify, and every key text is read before any other work on it.
#include <cstring>
#include <span>

#include "random/thread_rng.h"
#include "signature/signature_text.h"
#include "signature/signing.h"
#include "signature/verification.h"
#include "support/secure_wipe.h"
#include "support/stack_wipe.h"
#include "vessa.h"

namespace {

// The message is its bytes before the first NUL, read in place.
std::span<const uint8_t> MessageBytes(const char *msg) noexcept {
    return {reinterpret_cast<const uint8_t *>(msg), std::strlen(msg)};
}

}  // namespace

extern "C" {

int32_t sign(const EccCurve *curve, const char *priv, const char *msg, int32_t *s, int32_t *e) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t d = 0;
        const int32_t rc = resolve_private(priv, &d);
        if (rc < 0) {
            return rc;
        }
        vessa::EccSignature signature{};
        {
            auto rng = vessa::thread_rng();
            signature = vessa::SignMessage(*curve, d, MessageBytes(msg), rng);
        }
        vessa::SecureWipeObject(d);
        *s = signature.s;
        *e = signature.e;
        return 0;
    });
}

int32_t verify(const EccCurve *curve, const char *pub, const char *msg, int32_t s, int32_t e) {
    EccPoint q{};
    const int32_t rc = resolve_public(pub, &q.x, &q.y);
    if (rc < 0) {
        return rc;
    }
    return vessa::VerifyWithPoint(*curve, q, MessageBytes(msg), {s, e}) ? 0 : -1;
}

int32_t sign_to_hex_string(const EccCurve *curve, const char *priv, const char *msg, char *buf,
                           uint32_t size) {
    vessa::EccSignature signature{};
    const int32_t rc = sign(curve, priv, msg, &signature.s, &signature.e);
    if (rc < 0) {
        return rc;
    }
    // Tested after signing: a short buffer still costs one signature.
    if (size < VESSA_SIGNATURE_TEXT_SIZE) {
        return -1;
    }
    vessa::FormatSignatureText(signature, buf);
    buf[vessa::kSignatureTextLength] = '\0';
    return 0;
}

int32_t verify_from_hex_string(const EccCurve *curve, const char *pub, const char *msg,
                               const char *sig) {
    vessa::EccSignature signature{};
    if (!vessa::ParseSignatureText(sig, &signature)) {
        return -1;
    }
    return verify(curve, pub, msg, signature.s, signature.e);
}

}  // extern "C"
