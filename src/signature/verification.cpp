#include "signature/verification.h"

#include "curve/literal/point_arith.h"
#include "signature/signature_challenge.h"

namespace vessa {

bool VerifyWithPoint(const EccCurve &curve, EccPoint q, const Sha3_256 &absorbed_message,
                     EccSignature signature) noexcept {
    const EccPoint by_response = ScalarMultiply(curve, signature.s, curve.g);
    const EccPoint by_challenge = ScalarMultiply(curve, signature.e, q);
    const EccPoint r = PointAdd(curve, by_response, by_challenge);
    return MessageChallenge(absorbed_message, r) == signature.e;
}

}  // namespace vessa
