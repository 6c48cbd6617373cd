#include "encryption/decrypt_value.h"

#include "curve/literal/guarded_division.h"
#include "curve/literal/point_arith.h"
#include "encryption/mask_factor.h"
#include "support/secure_wipe.h"

namespace vessa {

int64_t DecryptDivisor(const EccCurve &curve, const EccPoint &shared) noexcept {
    const int64_t factor = MaskFactor(shared);
    return factor == 0 ? curve.p : factor;
}

uint8_t ValueFromDivisor(int64_t masked, int64_t divisor) noexcept {
    // The divisor is never -1 (a magnitude is -1 for no input), so the
    // quotient has no overflow case either.
    const int64_t quotient = GuardedDiv(masked, divisor);
    return static_cast<uint8_t>(static_cast<uint64_t>(quotient) & 0xFFU);
}

uint8_t DecryptValue(const EccCurve &curve, int64_t d, EccPoint r, int64_t masked) noexcept {
    EccPoint shared = ScalarMultiply(curve, d, r);
    int64_t divisor = DecryptDivisor(curve, shared);
    const uint8_t value = ValueFromDivisor(masked, divisor);
    SecureWipeObject(shared);
    SecureWipeObject(divisor);
    return value;
}

}  // namespace vessa
