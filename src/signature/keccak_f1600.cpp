#include "signature/keccak_f1600.h"

#include <bit>
#include <cstdint>

#include "support/target_region.h"

#if VESSA_HAVE_TARGET_REGIONS
#include <immintrin.h>
#endif

namespace vessa {
namespace {

constexpr uint64_t kKeccakRoundConstants[24] = {
    0x0000000000000001ULL, 0x0000000000008082ULL, 0x800000000000808AULL, 0x8000000080008000ULL,
    0x000000000000808BULL, 0x0000000080000001ULL, 0x8000000080008081ULL, 0x8000000000008009ULL,
    0x000000000000008AULL, 0x0000000000000088ULL, 0x0000000080008009ULL, 0x000000008000000AULL,
    0x000000008000808BULL, 0x800000000000008BULL, 0x8000000000008089ULL, 0x8000000000008003ULL,
    0x8000000000008002ULL, 0x8000000000000080ULL, 0x000000000000800AULL, 0x800000008000000AULL,
    0x8000000080008081ULL, 0x8000000000008080ULL, 0x0000000080000001ULL, 0x8000000080008008ULL,
};

namespace integer {
#include "signature/keccak_rounds.inc"
}  // namespace integer

void PermuteIntegerLanes(KeccakLanes &lanes) noexcept {
    integer::PermuteRounds<integer::WordLanes>(lanes);
}

#if VESSA_HAVE_TARGET_REGIONS
// The same code built for processors with the and-not and three-operand
// rotate instructions runs about a sixth faster.
__attribute__((target("bmi,bmi2"))) void PermuteIntegerLanesBmi(KeccakLanes &lanes) noexcept {
    integer::PermuteRounds<integer::WordLanes>(lanes);
}

bool HasBmi() noexcept {
    return __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
}

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

VESSA_TARGET_AVX512
namespace avx512 {

// Rows 2 to 4 of the state with one lane in the low half of each of 15
// vector registers, chi in one three-input logic instruction.
struct VectorLanes {
    using Lane = __m128i;
    static Lane Load(uint64_t word) noexcept {
        return _mm_cvtsi64_si128(static_cast<long long>(word));
    }
    static uint64_t Store(Lane lane) noexcept {
        return static_cast<uint64_t>(_mm_cvtsi128_si64(lane));
    }
    static Lane Xor(Lane a, Lane b) noexcept { return _mm_xor_si128(a, b); }
    template <int n>
    static Lane Rotl(Lane a) noexcept {
        return _mm_rol_epi64(a, n);
    }
    static Lane Chi(Lane a, Lane b, Lane c) noexcept {
        return _mm_ternarylogic_epi64(a, b, c, 0xD2);  // a ^ (~b & c)
    }
};

#include "signature/keccak_rounds.inc"

void PermuteSplitLanes(KeccakLanes &lanes) noexcept { PermuteRounds<VectorLanes>(lanes); }

}  // namespace avx512
VESSA_TARGET_END
#endif

}  // namespace

void KeccakF1600(KeccakLanes &lanes, VectorLevel level) noexcept {
#if VESSA_HAVE_TARGET_REGIONS
    static const bool has_bmi = HasBmi();
    if (level == VectorLevel::kAvx512) {
        avx512::PermuteSplitLanes(lanes);
        return;
    }
    if (level == VectorLevel::kAvx2 && has_bmi) {
        PermuteIntegerLanesBmi(lanes);
        return;
    }
#else
    static_cast<void>(level);
#endif
    PermuteIntegerLanes(lanes);
}

void KeccakF1600(KeccakLanes &lanes) noexcept { KeccakF1600(lanes, ChosenVectorLevel()); }

}  // namespace vessa
