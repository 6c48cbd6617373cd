#include "random/chacha20_blocks.h"

#include "support/secure_wipe.h"

namespace vessa {
namespace {

// Vectors cross no real call boundary (everything is inlined into the
// dispatched kernels), so the note about their calling convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

// Word i of every block in one vector, one block per lane.
using Lanes = uint32_t __attribute__((vector_size(64)));
static_assert(sizeof(Lanes) / sizeof(uint32_t) == kChaChaBatchBlocks);

template <unsigned N>
[[gnu::always_inline]] inline Lanes Rotl(const Lanes &v) noexcept {
    return (v << N) | (v >> (32 - N));
}

[[gnu::always_inline]] inline void QuarterRound(Lanes &a, Lanes &b, Lanes &c, Lanes &d) noexcept {
    a += b; d ^= a; d = Rotl<16>(d);
    c += d; b ^= c; b = Rotl<12>(b);
    a += b; d ^= a; d = Rotl<8>(d);
    c += d; b ^= c; b = Rotl<7>(b);
}

[[gnu::always_inline]] inline void Blocks(const ChaChaKey &key, uint32_t counter,
                                          const ChaChaNonce &nonce, uint32_t *out) noexcept {
    Lanes initial[16];
    const uint32_t constants[4] = {0x61707865U, 0x3320646eU, 0x79622d32U, 0x6b206574U};
    for (unsigned i = 0; i < 4; ++i) {
        initial[i] = Lanes{} + constants[i];
    }
    for (unsigned i = 0; i < 8; ++i) {
        initial[4 + i] = Lanes{} + key[i];
    }
    for (unsigned lane = 0; lane < kChaChaBatchBlocks; ++lane) {
        initial[12][lane] = counter + lane;
    }
    for (unsigned i = 0; i < 3; ++i) {
        initial[13 + i] = Lanes{} + nonce[i];
    }
    Lanes s[16];
    for (unsigned i = 0; i < 16; ++i) {
        s[i] = initial[i];
    }
    for (int round = 0; round < 10; ++round) {
        QuarterRound(s[0], s[4], s[8], s[12]);
        QuarterRound(s[1], s[5], s[9], s[13]);
        QuarterRound(s[2], s[6], s[10], s[14]);
        QuarterRound(s[3], s[7], s[11], s[15]);
        QuarterRound(s[0], s[5], s[10], s[15]);
        QuarterRound(s[1], s[6], s[11], s[12]);
        QuarterRound(s[2], s[7], s[8], s[13]);
        QuarterRound(s[3], s[4], s[9], s[14]);
    }
    for (unsigned i = 0; i < 16; ++i) {
        s[i] += initial[i];
    }
    for (unsigned lane = 0; lane < kChaChaBatchBlocks; ++lane) {
        for (unsigned i = 0; i < 16; ++i) {
            out[16 * lane + i] = s[i][lane];
        }
    }
    // The initial state holds the key, and the rounds' state the keystream.
    SecureWipeObject(initial);
    SecureWipeObject(s);
}

#if defined(__x86_64__) && defined(__GNUC__)
[[gnu::target("avx512f")]] void BlocksAvx512(const ChaChaKey &key, uint32_t counter,
                                              const ChaChaNonce &nonce, uint32_t *out) noexcept {
    Blocks(key, counter, nonce, out);
}
[[gnu::target("avx2")]] void BlocksAvx2(const ChaChaKey &key, uint32_t counter,
                                         const ChaChaNonce &nonce, uint32_t *out) noexcept {
    Blocks(key, counter, nonce, out);
}
#endif

void BlocksPortable(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                    uint32_t *out) noexcept {
    Blocks(key, counter, nonce, out);
}

}  // namespace

void ChaCha20Blocks(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                    uint32_t *out, VectorLevel level) noexcept {
    switch (level) {
#if defined(__x86_64__) && defined(__GNUC__)
        case VectorLevel::kAvx512: BlocksAvx512(key, counter, nonce, out); break;
        case VectorLevel::kAvx2: BlocksAvx2(key, counter, nonce, out); break;
#endif
        default: BlocksPortable(key, counter, nonce, out); break;
    }
}

}  // namespace vessa
