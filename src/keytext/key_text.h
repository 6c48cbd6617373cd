// The printable form of a KeyBlock, and packing and unpacking of keys.
//
// Text = base64 (standard alphabet, padded) of the block's 256 lowercase
// hexadecimal digits: always 344 characters ending in "==". Reading is
// strict about both encodings and the length, and checks nothing else: not
// the filler, not the range of a scalar, not whether a point is on the curve.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "keytext/key_block.h"
#include "keytext/key_text_scan.h"
#include "random/random_range.h"
#include "support/secure_wipe.h"
#include "vessa.h"

namespace vessa {

inline constexpr size_t kKeyTextLength = VESSA_KEY_TEXT_LEN;
inline constexpr int32_t kKeyTextBufferSize = VESSA_KEY_TEXT_SIZE;

// Writes the text of block and a NUL to buf when capacity (signed) is at
// least 345; otherwise returns false and leaves buf untouched.
bool WriteKeyText(const KeyBlock &block, char *buf, int32_t capacity) noexcept;

// Reads a NUL-terminated key text into block. Returns false for any
// malformation; block may then be partly written (callers read into scratch).
bool ReadKeyText(const char *text, KeyBlock &block) noexcept;

// Accepts exactly the texts ReadKeyText accepts and gives the block bytes of
// the window, without decoding the rest, using the reader of `form`.
// Returns false for any malformation; `window` may then be partly written.
bool ReadKeyWindow(const char *text, KeyWindow &window,
                   KeyTextForm form = ChosenKeyTextForm()) noexcept;

// Packs a block that holds a key of `kind` (all other bytes zero): draws
// its filler from source, then writes the text. The filler is drawn before
// the capacity is tested, so the source advances even when the result is
// false (capacity below 345, buf untouched). The block is wiped.
template <WordSource Source>
bool PackKeyBlock(Source &source, KeyBlock &block, KeyKind kind, char *buf,
                  int32_t capacity) noexcept {
    DrawFiller(source, block, kind);
    const bool written = WriteKeyText(block, buf, capacity);
    SecureWipeObject(block);
    return written;
}

template <WordSource Source>
bool PackPrivateKey(Source &source, int64_t d, char *buf, int32_t capacity) noexcept {
    KeyBlock block;
    StoreInt64(block, kFirstKeyOffset, d);
    return PackKeyBlock(source, block, KeyKind::kPrivate, buf, capacity);
}

template <WordSource Source>
bool PackPublicKey(Source &source, EccPoint q, char *buf, int32_t capacity) noexcept {
    KeyBlock block;
    StoreInt64(block, kFirstKeyOffset, q.x);
    StoreInt64(block, kSecondKeyOffset, q.y);
    return PackKeyBlock(source, block, KeyKind::kPublic, buf, capacity);
}

// The same, with filler from the calling thread's generator.
bool PackPrivateKey(int64_t d, char *buf, int32_t capacity) noexcept;
bool PackPublicKey(EccPoint q, char *buf, int32_t capacity) noexcept;

// Read a key text; nullopt when it is malformed or null. Either kind of text
// reads as either kind of key: the formats carry no mark of their kind.
std::optional<int64_t> UnpackPrivateKey(const char *text) noexcept;
std::optional<EccPoint> UnpackPublicKey(const char *text) noexcept;

}  // namespace vessa
