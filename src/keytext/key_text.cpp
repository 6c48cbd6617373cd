#include "keytext/key_text.h"

#include <array>
#include <cstring>

#include "keytext/base64.h"
#include "keytext/hex.h"
#include "random/thread_rng.h"
#include "support/secure_wipe.h"

namespace vessa {
namespace {

constexpr size_t kHexTextLength = 2 * kKeyBlockSize;
static_assert(Base64EncodedSize(kHexTextLength) == kKeyTextLength);

// The 256 digits are 85 full groups of three and a last group of two symbols
// for the final digit; up to two "=" may follow.
constexpr size_t kKeyTextSymbols = 85 * 4 + 2;
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

}  // namespace

bool WriteKeyText(const KeyBlock &block, char *buf, int32_t capacity) noexcept {
    if (capacity < kKeyTextBufferSize) {
        return false;
    }
    std::array<char, kHexTextLength> hex;
    HexEncode(block.bytes.data(), block.bytes.size(), hex.data());
    std::array<char, kKeyTextLength> text;
    Base64Encode(reinterpret_cast<const uint8_t *>(hex.data()), hex.size(), text.data());
    std::memcpy(buf, text.data(), text.size());
    buf[kKeyTextLength] = '\0';
    SecureWipeObject(hex);
    SecureWipeObject(text);
    return true;
}

bool ReadKeyText(const char *text, KeyBlock &block) noexcept {
    // The same rules as Base64Decode followed by HexDecode, applied to the one
    // shape a block has: exactly 342 symbols, the last with its four unused
    // bits zero, then "=", "==" or nothing. Both codings are undone in one
    // pass, so the digits never sit in a buffer that would need wiping.
    // strnlen stops one past the longest valid text, so a long text is not
    // scanned to its end.
    const size_t length = strnlen(text, kKeyTextLength + 1);
    if (length < kKeyTextSymbols || length > kKeyTextLength) {
        return false;
    }
    for (size_t i = kKeyTextSymbols; i < length; ++i) {
        if (text[i] != '=') {
            return false;
        }
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

std::optional<int64_t> UnpackPrivateKey(const char *text) noexcept {
    KeyBlock block;
    std::optional<int64_t> d;
    if (text != nullptr && ReadKeyText(text, block)) {
        d = LoadInt64(block, kFirstKeyOffset);
    }
    SecureWipeObject(block);
    return d;
}

std::optional<EccPoint> UnpackPublicKey(const char *text) noexcept {
    KeyBlock block;
    std::optional<EccPoint> q;
    if (text != nullptr && ReadKeyText(text, block)) {
        q = EccPoint{LoadInt64(block, kFirstKeyOffset), LoadInt64(block, kSecondKeyOffset)};
    }
    SecureWipeObject(block);
    return q;
}

}  // namespace vessa
