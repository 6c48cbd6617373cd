// The key-text reader for AVX-512 with byte permutes (VBMI): each 64
// characters are looked up as symbols, joined into the characters they
// decode to and those looked up as digits in a handful of instructions, with
// no branch; the key bytes are then gathered from the digits of the first
// 128 characters.
#include <immintrin.h>

#include <array>
#include <cstdint>

#include "keytext/base64.h"
#include "keytext/hex.h"
#include "keytext/key_text_scan.h"
#include "support/target_region.h"

#if VESSA_HAVE_TARGET_REGIONS

namespace vessa {
namespace {

constexpr std::size_t kChunk = 64;
// Five whole chunks, then the last 22 symbols, 320 to 341.
constexpr std::size_t kWholeChunks = 5;
constexpr std::size_t kTailSymbols = kKeyTextSymbols - kWholeChunks * kChunk;
static_assert(kTailSymbols == 22);

// Each group of four lands in a 32-bit lane as the three characters it
// decodes to, the first in the lane's third byte; the fourth byte is zero.
constexpr __mmask64 kDigitBytes = 0x7777777777777777;
// In the tail: five whole groups, then the last digit alone, in the third
// byte of the sixth lane. The second byte of that lane holds the four unused
// bits of the last symbol.
constexpr __mmask64 kTailDigitBytes = 0x77777 | (uint64_t{1} << 22);
constexpr __mmask64 kUnusedBits = uint64_t{1} << 21;

// Where digit 2*kFirstKeyOffset + i of the text sits in the decoded first
// two chunks, for the 32 digits of the window.
constexpr std::array<uint8_t, kChunk> kWindowDigitAt = [] {
    std::array<uint8_t, kChunk> at{};
    for (std::size_t i = 0; i < 2 * sizeof(KeyWindow); ++i) {
        const std::size_t digit = 2 * kFirstKeyOffset + i;
        at[i] = static_cast<uint8_t>(4 * (digit / 3) + 2 - digit % 3);
    }
    return at;
}();
static_assert(4 * ((2 * kFirstKeyOffset + 2 * sizeof(KeyWindow) - 1) / 3) + 2 < 2 * kChunk);

}  // namespace

VESSA_TARGET_AVX512_VBMI
namespace {

struct Lookups {
    // Symbol values, then digit values, of the 128 ASCII bytes, in halves:
    // a byte permute of two registers picks by the low seven bits.
    __m512i symbol_low, symbol_high, digit_low, digit_high;
};

Lookups LoadLookups() noexcept {
    static_assert(kNotBase64Symbol == 0x80 && (kNotHexDigit & 0x80) != 0);
    return {_mm512_loadu_si512(kBase64SymbolValue.data()),
            _mm512_loadu_si512(kBase64SymbolValue.data() + kChunk),
            _mm512_loadu_si512(kHexDigitValue.data()),
            _mm512_loadu_si512(kHexDigitValue.data() + kChunk)};
}

// The characters that the groups of `chars` decode to (see kDigitBytes).
// A byte that is no symbol sets the sign bit of its byte in `bad`: the
// characters are or-ed in (those from 0x80 up) and so are their values.
__m512i DecodeGroups(__m512i chars, const Lookups &lookups, __m512i &bad) noexcept {
    const __m512i values =
        _mm512_permutex2var_epi8(lookups.symbol_low, chars, lookups.symbol_high);
    bad = _mm512_ternarylogic_epi64(bad, chars, values, 0xFE);  // or of all three
    // Pairs of six-bit values into twelve bits, pairs of those into 24.
    const __m512i twelve = _mm512_maddubs_epi16(values, _mm512_set1_epi32(0x01400140));
    return _mm512_madd_epi16(twelve, _mm512_set1_epi32(0x00011000));
}

// The digit values of the `digits` bytes of `decoded`, zero in the others; a
// non-digit sets its sign bit in `bad`, as above.
__m512i DigitValues(__m512i decoded, __mmask64 digits, const Lookups &lookups,
                    __m512i &bad) noexcept {
    const __m512i values =
        _mm512_maskz_permutex2var_epi8(digits, lookups.digit_low, decoded, lookups.digit_high);
    bad = _mm512_ternarylogic_epi64(bad, decoded, values, 0xFE);
    return values;
}

// The digit values of one of the five whole chunks.
__m512i WholeChunk(const char *text, std::size_t chunk, const Lookups &lookups,
                   __m512i &bad) noexcept {
    const __m512i chars = _mm512_loadu_si512(text + chunk * kChunk);
    return DigitValues(DecodeGroups(chars, lookups, bad), kDigitBytes, lookups, bad);
}

// The check of the tail, with "A" (value 0) in place of the padding and
// beyond: the masked load reads nothing past the last symbol. Gives the
// unused bits that are set, as a mask.
__mmask64 CheckTail(const char *text, const Lookups &lookups, __m512i &bad) noexcept {
    const __m512i chars = _mm512_mask_loadu_epi8(
        _mm512_set1_epi8('A'), (uint64_t{1} << kTailSymbols) - 1, text + kWholeChunks * kChunk);
    const __m512i decoded = DecodeGroups(chars, lookups, bad);
    DigitValues(decoded, kTailDigitBytes, lookups, bad);
    return _mm512_mask_test_epi8_mask(kUnusedBits, decoded, decoded);
}

// The window from the digit values of the first two chunks: its 32 digits
// in order, then each pair as high and low nibble of a 16-bit lane, narrowed
// to bytes. A whole store, not a masked one: the caller reads the window
// back at once, and a masked store's bytes are not forwarded to a load.
void StoreWindow(__m512i first, __m512i second, KeyWindow &window) noexcept {
    const __m512i picked =
        _mm512_permutex2var_epi8(first, _mm512_loadu_si512(kWindowDigitAt.data()), second);
    const __m512i pairs = _mm512_maddubs_epi16(picked, _mm512_set1_epi16(0x0110));
    const __m256i bytes = _mm512_maskz_cvtepi16_epi8(~uint32_t{0}, pairs);
    static_assert(sizeof(KeyWindow) == sizeof(__m128i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(window.data()), _mm256_castsi256_si128(bytes));
}

}  // namespace
VESSA_TARGET_END

VESSA_TARGET_AVX512_VBMI
bool ReadKeyWindowSymbolsVbmi(const char *text, KeyWindow &window) noexcept {
    const Lookups lookups = LoadLookups();
    // The work is split into functions so that an unoptimised build, which
    // gives every vector temporary a slot of its own, keeps its frames small.
    __m512i bad = _mm512_setzero_si512();
    const __m512i first = WholeChunk(text, 0, lookups, bad);
    const __m512i second = WholeChunk(text, 1, lookups, bad);
    for (std::size_t chunk = 2; chunk < kWholeChunks; ++chunk) {
        WholeChunk(text, chunk, lookups, bad);
    }
    const __mmask64 stray_bits = CheckTail(text, lookups, bad);
    StoreWindow(first, second, window);
    return (_mm512_movepi8_mask(bad) | stray_bits) == 0;
}
VESSA_TARGET_END

}  // namespace vessa

#endif
