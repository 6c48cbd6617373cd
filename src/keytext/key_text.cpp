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

// Every scratch buffer below may hold key bytes, private ones included, so
// each is wiped before its function returns.

// Length of text up to its NUL, scanning no further than `limit` bytes.
size_t BoundedLength(const char *text, size_t limit) noexcept {
    size_t length = 0;
    while (length < limit && text[length] != '\0') {
        ++length;
    }
    return length;
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
    // Only 342 to 344 characters can decode to the 256 digits, so there is no
    // need to look past the 345th byte of a longer text.
    const size_t length = BoundedLength(text, kKeyTextLength + 1);
    std::array<uint8_t, kHexTextLength> hex;
    const auto decoded = Base64Decode(text, length, hex.data(), hex.size());
    // The four 64-digit quarters are contiguous, so one pass reads them in
    // order and stops at the first non-digit.
    const bool ok = decoded == kHexTextLength &&
                    HexDecode(reinterpret_cast<const char *>(hex.data()), block.bytes.size(),
                              block.bytes.data());
    SecureWipeObject(hex);
    return ok;
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
    if (ReadKeyText(text, block)) {
        d = LoadInt64(block, kFirstKeyOffset);
    }
    SecureWipeObject(block);
    return d;
}

std::optional<EccPoint> UnpackPublicKey(const char *text) noexcept {
    KeyBlock block;
    std::optional<EccPoint> q;
    if (ReadKeyText(text, block)) {
        q = EccPoint{LoadInt64(block, kFirstKeyOffset), LoadInt64(block, kSecondKeyOffset)};
    }
    SecureWipeObject(block);
    return q;
}

}  // namespace vessa
