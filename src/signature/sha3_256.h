// SHA3-256: the Keccak-f[1600] sponge with a 136-byte rate and a 32-byte
// digest, fed incrementally.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vessa {

class Sha3_256 {
public:
    static constexpr size_t kRate = 136;
    static constexpr size_t kDigestSize = 32;
    using Digest = std::array<uint8_t, kDigestSize>;

    Sha3_256() noexcept = default;

    // Absorbs `size` bytes read straight from `data` (nothing is copied or
    // buffered apart from the sponge state itself). May be called any number
    // of times, with pieces of any size.
    void Absorb(const uint8_t *data, size_t size) noexcept;

    // Pads, squeezes and returns the digest. The hasher must not be used
    // afterwards.
    Digest Finish() noexcept;

private:
    std::array<uint64_t, 25> lanes_{};
    size_t position_ = 0;  // bytes of the current block already absorbed
};

}  // namespace vessa
