#include "signature/sha3_256.h"

#include <bit>

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

// The permutation keeps the 25 lanes in locals, a{x + 5 y} for lane (x, y),
// and spells out every step of a round so that the compiler can hold them in
// registers and fold all rotation amounts and lane moves into the code.
[[gnu::always_inline]] inline void PermuteLanes(std::array<uint64_t, 25> &lanes) noexcept {
    uint64_t a0 = lanes[0];
    uint64_t a1 = lanes[1];
    uint64_t a2 = lanes[2];
    uint64_t a3 = lanes[3];
    uint64_t a4 = lanes[4];
    uint64_t a5 = lanes[5];
    uint64_t a6 = lanes[6];
    uint64_t a7 = lanes[7];
    uint64_t a8 = lanes[8];
    uint64_t a9 = lanes[9];
    uint64_t a10 = lanes[10];
    uint64_t a11 = lanes[11];
    uint64_t a12 = lanes[12];
    uint64_t a13 = lanes[13];
    uint64_t a14 = lanes[14];
    uint64_t a15 = lanes[15];
    uint64_t a16 = lanes[16];
    uint64_t a17 = lanes[17];
    uint64_t a18 = lanes[18];
    uint64_t a19 = lanes[19];
    uint64_t a20 = lanes[20];
    uint64_t a21 = lanes[21];
    uint64_t a22 = lanes[22];
    uint64_t a23 = lanes[23];
    uint64_t a24 = lanes[24];
    for (const uint64_t round_constant : kRoundConstants) {
        // Theta: each column's parity is folded into its two neighbours.
        const uint64_t c0 = a0 ^ a5 ^ a10 ^ a15 ^ a20;
        const uint64_t c1 = a1 ^ a6 ^ a11 ^ a16 ^ a21;
        const uint64_t c2 = a2 ^ a7 ^ a12 ^ a17 ^ a22;
        const uint64_t c3 = a3 ^ a8 ^ a13 ^ a18 ^ a23;
        const uint64_t c4 = a4 ^ a9 ^ a14 ^ a19 ^ a24;
        const uint64_t d0 = c4 ^ std::rotl(c1, 1);
        const uint64_t d1 = c0 ^ std::rotl(c2, 1);
        const uint64_t d2 = c1 ^ std::rotl(c3, 1);
        const uint64_t d3 = c2 ^ std::rotl(c4, 1);
        const uint64_t d4 = c3 ^ std::rotl(c0, 1);
        // Rho and pi, together with the rest of theta: lane (x, y) moves to
        // (y, 2x + 3y), rotated by its fixed offset.
        const uint64_t b0 = a0 ^ d0;
        const uint64_t b1 = std::rotl(a6 ^ d1, 44);
        const uint64_t b2 = std::rotl(a12 ^ d2, 43);
        const uint64_t b3 = std::rotl(a18 ^ d3, 21);
        const uint64_t b4 = std::rotl(a24 ^ d4, 14);
        const uint64_t b5 = std::rotl(a3 ^ d3, 28);
        const uint64_t b6 = std::rotl(a9 ^ d4, 20);
        const uint64_t b7 = std::rotl(a10 ^ d0, 3);
        const uint64_t b8 = std::rotl(a16 ^ d1, 45);
        const uint64_t b9 = std::rotl(a22 ^ d2, 61);
        const uint64_t b10 = std::rotl(a1 ^ d1, 1);
        const uint64_t b11 = std::rotl(a7 ^ d2, 6);
        const uint64_t b12 = std::rotl(a13 ^ d3, 25);
        const uint64_t b13 = std::rotl(a19 ^ d4, 8);
        const uint64_t b14 = std::rotl(a20 ^ d0, 18);
        const uint64_t b15 = std::rotl(a4 ^ d4, 27);
        const uint64_t b16 = std::rotl(a5 ^ d0, 36);
        const uint64_t b17 = std::rotl(a11 ^ d1, 10);
        const uint64_t b18 = std::rotl(a17 ^ d2, 15);
        const uint64_t b19 = std::rotl(a23 ^ d3, 56);
        const uint64_t b20 = std::rotl(a2 ^ d2, 62);
        const uint64_t b21 = std::rotl(a8 ^ d3, 55);
        const uint64_t b22 = std::rotl(a14 ^ d4, 39);
        const uint64_t b23 = std::rotl(a15 ^ d0, 41);
        const uint64_t b24 = std::rotl(a21 ^ d1, 2);
        // Chi, row by row, then iota.
        a0 = b0 ^ (~b1 & b2);
        a1 = b1 ^ (~b2 & b3);
        a2 = b2 ^ (~b3 & b4);
        a3 = b3 ^ (~b4 & b0);
        a4 = b4 ^ (~b0 & b1);
        a5 = b5 ^ (~b6 & b7);
        a6 = b6 ^ (~b7 & b8);
        a7 = b7 ^ (~b8 & b9);
        a8 = b8 ^ (~b9 & b5);
        a9 = b9 ^ (~b5 & b6);
        a10 = b10 ^ (~b11 & b12);
        a11 = b11 ^ (~b12 & b13);
        a12 = b12 ^ (~b13 & b14);
        a13 = b13 ^ (~b14 & b10);
        a14 = b14 ^ (~b10 & b11);
        a15 = b15 ^ (~b16 & b17);
        a16 = b16 ^ (~b17 & b18);
        a17 = b17 ^ (~b18 & b19);
        a18 = b18 ^ (~b19 & b15);
        a19 = b19 ^ (~b15 & b16);
        a20 = b20 ^ (~b21 & b22);
        a21 = b21 ^ (~b22 & b23);
        a22 = b22 ^ (~b23 & b24);
        a23 = b23 ^ (~b24 & b20);
        a24 = b24 ^ (~b20 & b21);
        a0 ^= round_constant;
    }
    lanes[0] = a0;
    lanes[1] = a1;
    lanes[2] = a2;
    lanes[3] = a3;
    lanes[4] = a4;
    lanes[5] = a5;
    lanes[6] = a6;
    lanes[7] = a7;
    lanes[8] = a8;
    lanes[9] = a9;
    lanes[10] = a10;
    lanes[11] = a11;
    lanes[12] = a12;
    lanes[13] = a13;
    lanes[14] = a14;
    lanes[15] = a15;
    lanes[16] = a16;
    lanes[17] = a17;
    lanes[18] = a18;
    lanes[19] = a19;
    lanes[20] = a20;
    lanes[21] = a21;
    lanes[22] = a22;
    lanes[23] = a23;
    lanes[24] = a24;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same code built for processors with the and-not and three-operand
// rotate instructions runs about a quarter faster; the choice is made once,
// at run time, so the library itself still runs on any x86-64.
__attribute__((target("bmi,bmi2"))) void PermuteLanesBmi(std::array<uint64_t, 25> &lanes) noexcept {
    PermuteLanes(lanes);
}

void PermuteLanesBaseline(std::array<uint64_t, 25> &lanes) noexcept { PermuteLanes(lanes); }

bool HasBmi() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
}

void KeccakF1600(std::array<uint64_t, 25> &lanes) noexcept {
    static const bool has_bmi = HasBmi();
    if (has_bmi) {
        PermuteLanesBmi(lanes);
    } else {
        PermuteLanesBaseline(lanes);
    }
}
#else
void KeccakF1600(std::array<uint64_t, 25> &lanes) noexcept { PermuteLanes(lanes); }
#endif

// Lanes hold their bytes little-endian: byte i of the state is bits
// 8*(i%8) .. 8*(i%8)+7 of lane i/8.
void XorByte(std::array<uint64_t, 25> &lanes, size_t index, uint8_t byte) noexcept {
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
