// The printable form of a KeyBlock, and packing and unpacking of keys.
//
// Text = base64 (standard alphabet, padded) of the block's 256 lowercase
// hexadecimal digits: always 344 characters ending in "==". Reading is
// strict about both encodings and the length, and checks nothing else: not
// the filler, not the range of a scalar, not whether a point is on the curve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "keytext/key_block.h"
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

// Pack a key with fresh filler from the calling thread's generator. The
// filler is drawn before the capacity is tested, so the generator advances
// even when the result is false (capacity below 345, buf untouched).
bool PackPrivateKey(int64_t d, char *buf, int32_t capacity) noexcept;
bool PackPublicKey(EccPoint q, char *buf, int32_t capacity) noexcept;

// Read a key text; nullopt when it is malformed. Either kind of text reads
// as either kind of key: the formats carry no mark of their kind.
std::optional<int64_t> UnpackPrivateKey(const char *text) noexcept;
std::optional<EccPoint> UnpackPublicKey(const char *text) noexcept;

}  // namespace vessa
