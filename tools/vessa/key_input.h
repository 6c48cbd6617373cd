// Loading key files for the vessa commands. A key file holds the
// 344-character key text, normally with one newline; whitespace around the
// text is accepted, and files larger than a few KiB are refused unread.
// Every key is read by the library's own reader and checked for its kind:
// a private key given where a public key is needed, or the other way round,
// is refused with exit status 2 rather than giving a signature that never
// verifies or a ciphertext nobody can read.
#pragma once

#include <optional>
#include <string>

#include "vessa.h"

namespace vessa_tool {

// The private key text from `path` (standard input when absent or "-").
// Throws ToolError naming the input when it is not a private key text.
std::string LoadPrivateKey(const EccCurve *curve, const std::optional<std::string> &path);

// The public key text from `path`: a text that unpacks to a point of the
// curve. Throws ToolError naming the input otherwise.
std::string LoadPublicKey(const EccCurve *curve, const std::optional<std::string> &path);

// A key of either kind, for commands that accept both.
struct AnyKey {
    bool is_private = false;
    std::string text;
};
AnyKey LoadAnyKey(const EccCurve *curve, const std::optional<std::string> &path);

}  // namespace vessa_tool
