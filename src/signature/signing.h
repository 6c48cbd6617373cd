// Making a signature: nonce, challenge and lifted response.
#pragma once

#include <cstdint>
#include <span>

#include "random/random_range.h"
#include "signature/ecc_signature.h"
#include "signature/nonce_redraw.h"
#include "signature/sha3_256.h"
#include "signature/signature_challenge.h"
#include "support/secure_wipe.h"
#include "vessa.h"

namespace vessa {

// Upper bound on nonce draws per signature. For a generated key a redraw is
// needed about 3 times in 100000, so the bound is never met; it only stops a
// hand-made key (a scalar <= 0, a multiple of n, or one large enough for
// e*d to wrap) from looping, and that key then gets its last draw.
inline constexpr int kMaxNonceDraws = 64;

// The response: the largest value below 2147483647 congruent to v modulo n,
// for v in [0, 2n) as ModReduce gives it.
int32_t LiftResponse(int64_t v, int64_t n) noexcept;

struct NonceSignature {
    EccPoint r;  // the nonce point k*G
    EccSignature signature;
};

// The signature of a message under the private scalar d with the nonce k,
// as the signing arithmetic defines it: R = k*G, e = MessageChallenge(message,
// R), s = LiftResponse(ModReduce(k - e*d, n)) with wrap-around. The message
// is given as the digest state that has absorbed it (not changed).
NonceSignature SignWithNonce(const EccCurve &curve, int64_t d, int64_t k,
                             const Sha3_256 &absorbed_message) noexcept;

inline NonceSignature SignWithNonce(const EccCurve &curve, int64_t d, int64_t k,
                                    std::span<const uint8_t> message) noexcept {
    return SignWithNonce(curve, d, k, AbsorbedMessage(message));
}

// Signs with nonces drawn from [1, n) until NeedsNonceRedraw is false, at
// most kMaxNonceDraws times. Every draw starts from the same absorbed state.
template <WordSource Source>
EccSignature SignMessage(const EccCurve &curve, int64_t d, const Sha3_256 &absorbed_message,
                         Source &rng) noexcept {
    NonceSignature made{};
    for (int draw = 0; draw < kMaxNonceDraws; ++draw) {
        int64_t k = RandomRange(rng, int64_t{1}, curve.n);
        made = SignWithNonce(curve, d, k, absorbed_message);
        SecureWipeObject(k);
        if (!NeedsNonceRedraw(curve, made.r, made.signature.s, made.signature.e)) {
            break;
        }
    }
    return made.signature;
}

template <WordSource Source>
EccSignature SignMessage(const EccCurve &curve, int64_t d, std::span<const uint8_t> message,
                         Source &rng) noexcept {
    return SignMessage(curve, d, AbsorbedMessage(message), rng);
}

}  // namespace vessa
