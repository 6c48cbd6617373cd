// Exported key-generation functions. Both end in the exported packing
// functions and return their result unchanged. A null curve is outside the
// contract and answered with -1.
#include "keygen/key_generation.h"
#include "random/thread_rng.h"
#include "support/secure_wipe.h"
#include "support/stack_wipe.h"
#include "vessa.h"

extern "C" {

int32_t ecc_generate_private(const EccCurve *curve, char *buf, int32_t len) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        if (curve == nullptr) {
            return -1;
        }
        int64_t d = 0;
        {
            auto rng = vessa::thread_rng();
            d = vessa::DrawPrivateScalar(rng, *curve);
        }
        // The scalar is drawn whatever len is; only packing tests the capacity.
        const int32_t rc = package_private(d, buf, len);
        vessa::SecureWipeObject(d);
        return rc;
    });
}

int32_t ecc_generate_public(const EccCurve *curve, const char *priv, char *buf, int32_t len) {
    return vessa::ThenWipeStack([&]() -> int32_t {
        int64_t d = 0;
        const int32_t rc = resolve_private(priv, &d);
        if (rc < 0) {
            return rc;
        }
        if (curve == nullptr) {
            vessa::SecureWipeObject(d);
            return -1;
        }
        const EccPoint q = vessa::DerivePublicKey(*curve, d);
        vessa::SecureWipeObject(d);
        return package_public(q, buf, len);
    });
}

}  // extern "C"
