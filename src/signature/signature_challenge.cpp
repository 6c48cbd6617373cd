#include "signature/signature_challenge.h"

#include "curve/literal/int64_arith.h"
#include "signature/point_bytes.h"
#include "support/little_endian.h"

namespace vessa {

int32_t SignatureChallenge(const Sha3_256::Digest &digest) noexcept {
    return WrappingAbs32(static_cast<int32_t>(LoadLittleEndian<uint32_t>(digest.data())));
}

Sha3_256 AbsorbedMessage(std::span<const uint8_t> message) noexcept {
    Sha3_256 hasher;
    hasher.Absorb(message.data(), message.size());
    return hasher;
}

int32_t MessageChallenge(const Sha3_256 &absorbed_message, EccPoint nonce_point) noexcept {
    Sha3_256 hasher = absorbed_message;
    const PointByteString point_bytes = PointBytes(nonce_point);
    hasher.Absorb(point_bytes.bytes().data(), point_bytes.bytes().size());
    return SignatureChallenge(hasher.Finish());
}

int32_t MessageChallenge(std::span<const uint8_t> message, EccPoint nonce_point) noexcept {
    return MessageChallenge(AbsorbedMessage(message), nonce_point);
}

}  // namespace vessa
