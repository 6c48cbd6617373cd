// Encryption of one byte value: R = k*G and masked = |S.x| * value, S = k*Q.
#pragma once

#include <cstdint>

#include "curve/literal/guarded_division.h"
#include "curve/literal/int64_arith.h"
#include "curve/literal/point_arith.h"
#include "curve/fast/point_multiples.h"
#include "encryption/mask_factor.h"
#include "random/random_range.h"
#include "support/secure_wipe.h"
#include "vessa.h"

namespace vessa {

// How many scalars are drawn at most while S.x is congruent to 0 modulo p.
// A curve point leaves that case after one redraw with overwhelming odds;
// the bound only matters for hand-made points off the curve (such as (0, 0)
// or (0, -1)) for which every scalar gives x = 0.
inline constexpr int kMaxScalarDraws = 64;

// True when the shared point would mask every value to a multiple of p, so
// that a decryptor dividing by its x (0, or p stored for 0) cannot recover it.
inline bool MaskLosesValue(const EccCurve &curve, const EccPoint &shared) noexcept {
    return GuardedRem(shared.x, curve.p) == 0;
}

// The multiples that encrypting under one public point q takes, set up once
// for all the values encrypted in one call.
struct EncryptionMultiples {
    EncryptionMultiples(const EccCurve &curve, EccPoint q) noexcept
        : of_g(curve, curve.g), of_q(curve, q) {}
    PointMultiples of_g;
    PointMultiples of_q;
};

// Encrypts `value` under the public point whose `multiples` are given, with
// scalars from `rng`, drawn uniformly from [n/7, n). A scalar whose shared
// point has x congruent to 0 is redrawn, up to kMaxScalarDraws draws; after
// that the last one is used.
template <WordSource Source>
EccCiphertext EncryptValue(const EccCurve &curve, const EncryptionMultiples &multiples,
                           uint8_t value, Source &rng) noexcept {
    const int64_t low = GuardedDiv(curve.n, 7);
    int64_t k = 0;
    EccPoint shared{};
    for (int draw = 0; draw < kMaxScalarDraws; ++draw) {
        k = RandomRange(rng, low, curve.n);
        shared = multiples.of_q.Times(k);
        if (!MaskLosesValue(curve, shared)) {
            break;
        }
    }
    const EccCiphertext result{multiples.of_g.Times(k),
                               WrappingMul(MaskFactor(shared), int64_t{value})};
    SecureWipeObject(k);
    SecureWipeObject(shared);
    return result;
}

// As above, for the public point q.
template <WordSource Source>
EccCiphertext EncryptValue(const EccCurve &curve, EccPoint q, uint8_t value,
                           Source &rng) noexcept {
    return EncryptValue(curve, EncryptionMultiples(curve, q), value, rng);
}

// As above, with the calling thread's generator.
EccCiphertext EncryptValue(const EccCurve &curve, EccPoint q, uint8_t value) noexcept;

}  // namespace vessa
