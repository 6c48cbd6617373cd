#include "keyinfo/public_key_fingerprint.h"

#include <algorithm>

#include "keytext/hex.h"
#include "signature/sha3_256.h"

namespace vessa {
namespace {

void StoreBigEndian(int64_t value, uint8_t *out) noexcept {
    auto bits = static_cast<uint64_t>(value);
    for (int i = 7; i >= 0; --i) {
        out[i] = static_cast<uint8_t>(bits & 0xFFU);
        bits >>= 8;
    }
}

}  // namespace

std::array<uint8_t, kFingerprintBytes> PublicKeyFingerprint(EccPoint q) noexcept {
    std::array<uint8_t, 16> encoded{};
    StoreBigEndian(q.x, encoded.data());
    StoreBigEndian(q.y, encoded.data() + 8);
    Sha3_256 hasher;
    hasher.Absorb(encoded.data(), encoded.size());
    const Sha3_256::Digest digest = hasher.Finish();
    std::array<uint8_t, kFingerprintBytes> fingerprint{};
    std::copy_n(digest.begin(), kFingerprintBytes, fingerprint.begin());
    return fingerprint;
}

void FormatPublicKeyFingerprint(EccPoint q, char *out) noexcept {
    const auto fingerprint = PublicKeyFingerprint(q);
    HexEncode(fingerprint.data(), fingerprint.size(), out);
}

}  // namespace vessa
