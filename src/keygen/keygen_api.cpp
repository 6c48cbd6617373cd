// Exported key-generation functions. Both end in the internal packing, whose
// result they return as package_private and package_public would. A null
// curve or buffer is outside the contract and answered with -1.
#include <optional>

#include "keygen/key_generation.h"
#include "keytext/key_text.h"
#include "random/thread_rng.h"
#include "support/secret_call.h"
#include "support/secure_wipe.h"
#include "vessa.h"

namespace {

int32_t PackedLength(bool packed) noexcept {
    return packed ? VESSA_KEY_TEXT_LEN : VESSA_ERR_INVALID;
}

}  // namespace

extern "C" {

int32_t ecc_generate_private(const EccCurve *curve, char *buf, int32_t len) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        if (curve == nullptr) {
            return VESSA_ERR_INVALID;
        }
        int64_t d = 0;
        bool packed = false;
        {
            auto rng = vessa::thread_rng();
            d = vessa::DrawPrivateScalar(rng, *curve);
            // The scalar is drawn whatever len is; only packing tests the capacity.
            packed = buf != nullptr && vessa::PackPrivateKey(rng, d, buf, len);
        }
        vessa::SecureWipeObject(d);
        return PackedLength(packed);
    });
}

int32_t ecc_generate_public(const EccCurve *curve, const char *priv, char *buf,
                            int32_t len) noexcept {
    return vessa::SecretCall([&]() -> int32_t {
        std::optional<int64_t> d = vessa::UnpackPrivateKey(priv);
        bool packed = false;
        if (d && curve != nullptr) {
            const EccPoint q = vessa::DerivePublicKey(*curve, *d);
            packed = buf != nullptr && vessa::PackPublicKey(q, buf, len);
        }
        vessa::SecureWipeObject(d);
        return PackedLength(packed);
    });
}

}  // extern "C"
