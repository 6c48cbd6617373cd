#include "keytext/key_text.h"

#include <array>
#include <bit>
#include <cstring>

#include "keytext/base64.h"
#include "keytext/hex.h"
#include "keytext/key_text_scan.h"
#include "random/thread_rng.h"
#include "support/secure_wipe.h"
#include "support/target_region.h"

namespace vessa {
namespace {

constexpr size_t kHexTextLength = 2 * kKeyBlockSize;
static_assert(Base64EncodedSize(kHexTextLength) == kKeyTextLength);

// The 256 digits are 85 full groups of three and a last group of two symbols
// for the final digit (kKeyTextSymbols); up to two "=" may follow.
static_assert(kKeyTextSymbols + 2 == kKeyTextLength);

// Every scratch buffer below may hold key bytes, private ones included, so
// each is wiped before its function returns.

// Symbol values of four characters as one 24-bit group; a non-symbol sets
// kNotBase64Symbol in `bad`.
uint32_t ReadGroup(const char *in, uint32_t &bad) noexcept {
    const uint32_t a = Base64SymbolValue(in[0]);
    const uint32_t b = Base64SymbolValue(in[1]);
    const uint32_t c = Base64SymbolValue(in[2]);
    const uint32_t d = Base64SymbolValue(in[3]);
    bad |= a | b | c | d;
    return (a << 18) | (b << 12) | (c << 6) | d;
}

// Values of the three digits whose characters make up `group`; a non-digit
// sets kNotHexDigit in `bad`.
std::array<uint32_t, 3> DigitsOf(uint32_t group, uint32_t &bad) noexcept {
    const uint32_t high = kHexDigitValue[(group >> 16) & 0xFFU];
    const uint32_t middle = kHexDigitValue[(group >> 8) & 0xFFU];
    const uint32_t low = kHexDigitValue[group & 0xFFU];
    bad |= high | middle | low;
    return {high, middle, low};
}

uint8_t JoinDigits(uint32_t high, uint32_t low) noexcept {
    return static_cast<uint8_t>((high << 4) | low);
}

// The base64 group of the three lowercase digits of every 12-bit value.
constexpr std::array<std::array<char, 4>, 4096> kDigitTripleText = [] {
    std::array<std::array<char, 4>, 4096> table{};
    for (uint32_t v = 0; v < 4096; ++v) {
        const auto digit = [v](unsigned shift) {
            return static_cast<uint32_t>(static_cast<unsigned char>(kHexDigits[(v >> shift) & 0xFU]));
        };
        const uint32_t group = (digit(8) << 16) | (digit(4) << 8) | digit(0);
        table[v] = {kBase64Alphabet[(group >> 18) & 0x3F], kBase64Alphabet[(group >> 12) & 0x3F],
                    kBase64Alphabet[(group >> 6) & 0x3F], kBase64Alphabet[group & 0x3F]};
    }
    return table;
}();

// The little-endian two's-complement value of window[offset, offset + 8),
// in one load.
int64_t WindowValue(const KeyWindow &window, size_t offset) noexcept {
    uint64_t bits = 0;
    std::memcpy(&bits, window.data() + offset, sizeof(bits));
    if constexpr (std::endian::native == std::endian::big) {
        bits = __builtin_bswap64(bits);
    }
    return static_cast<int64_t>(bits);
}

// The shape every block's text has: 342 symbols, then "=", "==" or
// nothing, then the NUL. strnlen stops one past the longest valid text, so a
// long text is not scanned to its end; nothing past the NUL is read.
bool HasKeyTextLength(const char *text) noexcept {
    const size_t length = strnlen(text, kKeyTextLength + 1);
    if (length < kKeyTextSymbols || length > kKeyTextLength) {
        return false;
    }
    for (size_t i = kKeyTextSymbols; i < length; ++i) {
        if (text[i] != '=') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WriteKeyText(const KeyBlock &block, char *buf, int32_t capacity) noexcept {
    if (capacity < kKeyTextBufferSize) {
        return false;
    }
    // Three block bytes are six digits, two base64 groups: one lookup each.
    std::array<char, kKeyTextLength> text;
    const uint8_t *in = block.bytes.data();
    char *out = text.data();
    constexpr size_t kWholeTriples = kKeyBlockSize / 3;
    for (size_t t = 0; t < kWholeTriples; ++t, in += 3, out += 8) {
        const uint32_t first = (uint32_t{in[0]} << 4) | (in[1] >> 4);
        const uint32_t second = ((uint32_t{in[1]} & 0x0FU) << 8) | in[2];
        std::memcpy(out, kDigitTripleText[first].data(), 4);
        std::memcpy(out + 4, kDigitTripleText[second].data(), 4);
    }
    // Two bytes remain: four digits, one full group and one digit alone,
    // which base64 writes as two symbols and "==".
    static_assert(kKeyBlockSize % 3 == 2);
    const uint32_t last = (uint32_t{in[0]} << 4) | (in[1] >> 4);
    std::memcpy(out, kDigitTripleText[last].data(), 4);
    const auto digit = static_cast<uint32_t>(static_cast<unsigned char>(kHexDigits[in[1] & 0x0FU]));
    out[4] = kBase64Alphabet[digit >> 2];
    out[5] = kBase64Alphabet[(digit & 0x03U) << 4];
    out[6] = '=';
    out[7] = '=';
    std::memcpy(buf, text.data(), text.size());
    buf[kKeyTextLength] = '\0';
    SecureWipeObject(text);
    return true;
}

bool ReadKeyText(const char *text, KeyBlock &block) noexcept {
    // The same rules as Base64Decode followed by HexDecode, applied to the one
    // shape a block has: exactly 342 symbols, the last with its four unused
    // bits zero, then "=", "==" or nothing. Both codings are undone in one
    // pass, so the digits never sit in a buffer that would need wiping.
    if (!HasKeyTextLength(text)) {
        return false;
    }
    uint32_t bad_symbol = 0;
    uint32_t bad_digit = 0;
    uint8_t *out = block.bytes.data();
    // Two groups at a time: six digits, three bytes.
    constexpr size_t kPairedSymbols = 42 * 8;
    for (size_t i = 0; i < kPairedSymbols; i += 8, out += 3) {
        const auto first = DigitsOf(ReadGroup(text + i, bad_symbol), bad_digit);
        const auto second = DigitsOf(ReadGroup(text + i + 4, bad_symbol), bad_digit);
        out[0] = JoinDigits(first[0], first[1]);
        out[1] = JoinDigits(first[2], second[0]);
        out[2] = JoinDigits(second[1], second[2]);
    }
    // The last full group and the two-symbol group: four digits, two bytes.
    const auto group = DigitsOf(ReadGroup(text + kPairedSymbols, bad_symbol), bad_digit);
    const uint32_t a = Base64SymbolValue(text[kPairedSymbols + 4]);
    const uint32_t b = Base64SymbolValue(text[kPairedSymbols + 5]);
    bad_symbol |= a | b;
    const uint32_t last = kHexDigitValue[((a << 2) | (b >> 4)) & 0xFFU];
    bad_digit |= last;
    out[0] = JoinDigits(group[0], group[1]);
    out[1] = JoinDigits(group[2], last);
    return (bad_symbol & kNotBase64Symbol) == 0 && (b & 0x0FU) == 0 &&
           (bad_digit & kNotHexDigit) == 0;
}

bool PackPrivateKey(int64_t d, char *buf, int32_t capacity) noexcept {
    auto rng = thread_rng();
    return PackPrivateKey(rng, d, buf, capacity);
}

bool PackPublicKey(EccPoint q, char *buf, int32_t capacity) noexcept {
    auto rng = thread_rng();
    return PackPublicKey(rng, q, buf, capacity);
}

bool ReadKeyWindow(const char *text, KeyWindow &window, KeyTextForm form) noexcept {
    // The rules of ReadKeyText. The length comes first, so that no form reads
    // past the NUL; the VBMI form then does the rest. The others check the 85
    // full groups in vector lanes and the last one on its own, and decode
    // only the groups that hold the window.
    if (!HasKeyTextLength(text)) {
        return false;
    }
#if VESSA_HAVE_TARGET_REGIONS
    if (form == KeyTextForm::kAvx512Vbmi) {
        return ReadKeyWindowSymbolsVbmi(text, window);
    }
#endif
    static_assert(kScannedKeyTextChars == kKeyTextSymbols - 2);
    uint32_t bad_symbol = 0;
    uint32_t bad_digit = 0;
    const uint32_t a = Base64SymbolValue(text[kKeyTextSymbols - 2]);
    const uint32_t b = Base64SymbolValue(text[kKeyTextSymbols - 1]);
    bad_symbol |= a | b;
    bad_digit |= kHexDigitValue[((a << 2) | (b >> 4)) & 0xFFU];
    if ((bad_symbol & kNotBase64Symbol) != 0 || (b & 0x0FU) != 0 ||
        (bad_digit & kNotHexDigit) != 0 || !ScannedCharsAreHexSymbols(text, form)) {
        return false;
    }
    // Block bytes 13 to 28 are digits 26 to 57: groups 8 to 19, which hold
    // digits 24 to 59.
    constexpr size_t kFirstGroup = 2 * kFirstKeyOffset / 3;
    constexpr size_t kGroups = 12;
    static_assert(3 * kFirstGroup + 2 == 2 * kFirstKeyOffset);
    std::array<uint32_t, 3 * kGroups> digits;
    for (size_t g = 0; g < kGroups; ++g) {
        const auto three = DigitsOf(ReadGroup(text + 4 * (kFirstGroup + g), bad_symbol), bad_digit);
        digits[3 * g] = three[0];
        digits[3 * g + 1] = three[1];
        digits[3 * g + 2] = three[2];
    }
    for (size_t j = 0; j < window.size(); ++j) {
        window[j] = JoinDigits(digits[2 + 2 * j], digits[3 + 2 * j]);
    }
    SecureWipeObject(digits);
    return true;
}

std::optional<int64_t> UnpackPrivateKey(const char *text) noexcept {
    KeyWindow window{};
    const bool read = text != nullptr && ReadKeyWindow(text, window);
    const int64_t d = WindowValue(window, 0);
    SecureWipeObject(window);
    return read ? std::optional<int64_t>(d) : std::nullopt;
}

std::optional<EccPoint> UnpackPublicKey(const char *text) noexcept {
    KeyWindow window{};
    const bool read = text != nullptr && ReadKeyWindow(text, window);
    const EccPoint q{WindowValue(window, 0), WindowValue(window, sizeof(int64_t))};
    SecureWipeObject(window);
    return read ? std::optional<EccPoint>(q) : std::nullopt;
}

}  // namespace vessa
