#include "signature/sha3_256.h"

#include "signature/keccak_f1600.h"
#include "support/little_endian.h"

namespace vessa {
namespace {

static_assert(Sha3_256::kRate % 8 == 0);

// Lanes hold their bytes little-endian: byte i of the state is bits
// 8*(i%8) .. 8*(i%8)+7 of lane i/8.
void XorByte(KeccakLanes &lanes, size_t index, uint8_t byte) noexcept {
    lanes[index / 8] ^= static_cast<uint64_t>(byte) << (8U * (index % 8));
}

}  // namespace

void Sha3_256::Absorb(const uint8_t *data, size_t size) noexcept {
    // Kept in a local: the lanes are words of the same type, so every store
    // to them would otherwise reload the member.
    size_t position = position_;
    while (size > 0) {
        const size_t offset = position % 8;
        size_t count = 8;
        if (offset == 0 && size >= 8) {
            lanes_[position / 8] ^= LoadLittleEndian<uint64_t>(data);
        } else {
            // The bytes up to the end of the current lane, gathered into
            // one word. The rate is a whole number of lanes, so a block
            // never ends inside one.
            count = size < 8 - offset ? size : 8 - offset;
            uint64_t word = 0;
            for (size_t i = 0; i < count; ++i) {
                word |= static_cast<uint64_t>(data[i]) << (8U * i);
            }
            lanes_[position / 8] ^= word << (8U * offset);
        }
        data += count;
        size -= count;
        position += count;
        if (position == kRate) {
            KeccakF1600(lanes_);
            position = 0;
        }
    }
    position_ = position;
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
