#include "signature/signing.h"

#include "curve/literal/guarded_division.h"
#include "curve/literal/int64_arith.h"
#include "curve/literal/modular.h"
#include "curve/literal/point_arith.h"
#include "signature/signature_challenge.h"

namespace vessa {
namespace {

constexpr int64_t kResponseCeiling = 2147483646;  // 0x7FFFFFFE

}  // namespace

int32_t LiftResponse(int64_t v, int64_t n) noexcept {
    // Closed form of "add n until at least 2147483647, then subtract n once".
    return static_cast<int32_t>(
        WrappingSub(kResponseCeiling, GuardedRem(WrappingSub(kResponseCeiling, v), n)));
}

NonceSignature SignWithNonce(const EccCurve &curve, int64_t d, int64_t k,
                             const Sha3_256 &absorbed_message) noexcept {
    const EccPoint r = ScalarMultiply(curve, k, curve.g);
    const int32_t e = MessageChallenge(absorbed_message, r);
    // k - e*d, with e widened with its sign; together with e it would give
    // d away, so it does not outlive the call.
    int64_t t = WrappingSub(k, WrappingMul(int64_t{e}, d));
    const int64_t v = ModReduce(t, curve.n);
    SecureWipeObject(t);
    return {r, {LiftResponse(v, curve.n), e}};
}

}  // namespace vessa
