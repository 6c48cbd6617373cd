#include "signature/sha3_256.h"

#include "support/little_endian.h"

namespace vessa {
namespace {

constexpr int kRounds = 24;

constexpr uint64_t kRoundConstants[kRounds] = {
    0x0000000000000001ULL, 0x0000000000008082ULL, 0x800000000000808AULL, 0x8000000080008000ULL,
    0x000000000000808BULL, 0x0000000080000001ULL, 0x8000000080008081ULL, 0x8000000000008009ULL,
    0x000000000000008AULL, 0x0000000000000088ULL, 0x0000000080008009ULL, 0x000000008000000AULL,
    0x000000008000808BULL, 0x800000000000008BULL, 0x8000000000008089ULL, 0x8000000000008003ULL,
    0x8000000000008002ULL, 0x8000000000000080ULL, 0x000000000000800AULL, 0x800000008000000AULL,
    0x8000000080008081ULL, 0x8000000000008080ULL, 0x0000000080000001ULL, 0x8000000080008008ULL,
};

// The rho and pi steps walk the 24 lanes other than (0, 0) in one cycle:
// lane kPiLane[i] receives the previous lane rotated by kRhoOffset[i].
constexpr unsigned kRhoOffset[24] = {1,  3,  6,  10, 15, 21, 28, 36, 45, 55, 2,  14,
                                     27, 41, 56, 8,  25, 43, 62, 18, 39, 61, 20, 44};
constexpr unsigned kPiLane[24] = {10, 7,  11, 17, 18, 3, 5,  16, 8,  21, 24, 4,
                                  15, 23, 19, 13, 12, 2, 20, 14, 22, 9,  6,  1};

constexpr uint64_t RotateLeft(uint64_t v, unsigned shift) noexcept {
    return (v << shift) | (v >> (64U - shift));
}

void KeccakF1600(std::array<uint64_t, 25> &a) noexcept {
    for (const uint64_t round_constant : kRoundConstants) {
        // Theta: each column's parity is folded into its two neighbours.
        uint64_t parity[5];
        for (size_t x = 0; x < 5; ++x) {
            parity[x] = a[x] ^ a[x + 5] ^ a[x + 10] ^ a[x + 15] ^ a[x + 20];
        }
        for (size_t x = 0; x < 5; ++x) {
            const uint64_t d = parity[(x + 4) % 5] ^ RotateLeft(parity[(x + 1) % 5], 1);
            for (size_t y = 0; y < 25; y += 5) {
                a[x + y] ^= d;
            }
        }
        // Rho and pi.
        uint64_t carried = a[1];
        for (size_t i = 0; i < 24; ++i) {
            const uint64_t next = a[kPiLane[i]];
            a[kPiLane[i]] = RotateLeft(carried, kRhoOffset[i]);
            carried = next;
        }
        // Chi, row by row.
        for (size_t y = 0; y < 25; y += 5) {
            uint64_t row[5];
            for (size_t x = 0; x < 5; ++x) {
                row[x] = a[y + x];
            }
            for (size_t x = 0; x < 5; ++x) {
                a[y + x] = row[x] ^ (~row[(x + 1) % 5] & row[(x + 2) % 5]);
            }
        }
        // Iota.
        a[0] ^= round_constant;
    }
}

// Lanes hold their bytes little-endian: byte i of the state is bits
// 8*(i%8) .. 8*(i%8)+7 of lane i/8.
void XorByte(std::array<uint64_t, 25> &lanes, size_t index, uint8_t byte) noexcept {
    lanes[index / 8] ^= static_cast<uint64_t>(byte) << (8U * (index % 8));
}

}  // namespace

void Sha3_256::Absorb(const uint8_t *data, size_t size) noexcept {
    // Finish a partly filled block byte by byte.
    while (size > 0 && position_ != 0) {
        XorByte(lanes_, position_, *data);
        ++data;
        --size;
        if (++position_ == kRate) {
            KeccakF1600(lanes_);
            position_ = 0;
        }
    }
    // Whole blocks, a lane at a time.
    while (size >= kRate) {
        for (size_t lane = 0; lane < kRate / 8; ++lane) {
            lanes_[lane] ^= LoadLittleEndian<uint64_t>(data + 8 * lane);
        }
        KeccakF1600(lanes_);
        data += kRate;
        size -= kRate;
    }
    // The tail starts a new block.
    for (; size > 0; ++data, --size) {
        XorByte(lanes_, position_++, *data);
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
