#include "random/chacha20.h"

#include <bit>
#include <cstddef>

#include "support/secure_wipe.h"

namespace vessa {
namespace {

constexpr void QuarterRound(ChaChaBlock &s, std::size_t a, std::size_t b, std::size_t c,
                            std::size_t d) noexcept {
    s[a] += s[b]; s[d] ^= s[a]; s[d] = std::rotl(s[d], 16);
    s[c] += s[d]; s[b] ^= s[c]; s[b] = std::rotl(s[b], 12);
    s[a] += s[b]; s[d] ^= s[a]; s[d] = std::rotl(s[d], 8);
    s[c] += s[d]; s[b] ^= s[c]; s[b] = std::rotl(s[b], 7);
}

}  // namespace

void ChaCha20Block(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                   ChaChaBlock &out) noexcept {
    ChaChaBlock initial{0x61707865U, 0x3320646eU, 0x79622d32U, 0x6b206574U,
                        key[0],      key[1],      key[2],      key[3],
                        key[4],      key[5],      key[6],      key[7],
                        counter,     nonce[0],    nonce[1],    nonce[2]};
    out = initial;
    for (int round = 0; round < 10; ++round) {
        QuarterRound(out, 0, 4, 8, 12);
        QuarterRound(out, 1, 5, 9, 13);
        QuarterRound(out, 2, 6, 10, 14);
        QuarterRound(out, 3, 7, 11, 15);
        QuarterRound(out, 0, 5, 10, 15);
        QuarterRound(out, 1, 6, 11, 12);
        QuarterRound(out, 2, 7, 8, 13);
        QuarterRound(out, 3, 4, 9, 14);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] += initial[i];
    }
    // The initial state holds the key: it must not stay behind on the stack.
    SecureWipeObject(initial);
}

}  // namespace vessa
