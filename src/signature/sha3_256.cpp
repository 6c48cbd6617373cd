#include "signature/sha3_256.h"

#include "signature/keccak_f1600.h"
#include "support/little_endian.h"

namespace vessa {
namespace {

// Lanes hold their bytes little-endian: byte i of the state is bits
// 8*(i%8) .. 8*(i%8)+7 of lane i/8.
void XorByte(KeccakLanes &lanes, size_t index, uint8_t byte) noexcept {
    lanes[index / 8] ^= static_cast<uint64_t>(byte) << (8U * (index % 8));
}

}  // namespace

void Sha3_256::Absorb(const uint8_t *data, size_t size) noexcept {
    while (size > 0) {
        // A whole lane at a time where the block position allows it, single
        // bytes only to reach a lane boundary and for the last few bytes.
        if (position_ % 8 == 0 && size >= 8) {
            lanes_[position_ / 8] ^= LoadLittleEndian<uint64_t>(data);
            data += 8;
            size -= 8;
            position_ += 8;
        } else {
            XorByte(lanes_, position_++, *data++);
            --size;
        }
        if (position_ == kRate) {
            KeccakF1600(lanes_);
            position_ = 0;
        }
    }
}

Sha3_256::Digest Sha3_256::Finish() noexcept {
    // Domain bits 01 with the first padding bit (0x06), last padding bit 0x80.
    XorByte(lanes_, position_, 0x06);
    XorByte(lanes_, kRate - 1, 0x80);
    KeccakF1600(lanes_);
    Digest digest{};
    for (size_t lane = 0; lane < kDigestSize / 8; ++lane) {
        StoreLittleEndian(lanes_[lane], digest.data() + 8 * lane);
    }
    return digest;
}

}  // namespace vessa
