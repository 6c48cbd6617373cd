#include "encryption/encrypt_value.h"

#include "random/thread_rng.h"

namespace vessa {

EccCiphertext EncryptValue(const EccCurve &curve, EccPoint q, uint8_t value) noexcept {
    auto rng = thread_rng();
    return EncryptValue(curve, q, value, rng);
}

}  // namespace vessa
