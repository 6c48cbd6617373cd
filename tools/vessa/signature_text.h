// The signature text of the vessa tool: 16 hexadecimal digits, s then e,
// each as its four bytes least significant first, the same text that
// sign_to_hex_string writes and verify_from_hex_string reads.
#pragma once

#include <cstdint>
#include <string>

#include "short_text.h"

namespace vessa_tool {

struct Signature {
    int32_t s = 0;
    int32_t e = 0;
};

// The 16 lowercase digits of `signature`.
std::string FormatSignature(Signature signature);

// Reads a signature text (either case). Throws ToolError naming `name` and
// saying what is wrong: the length, or the first byte that is not a digit
// and its offset.
Signature ParseSignature(const ShortText &text, const std::string &name);

}  // namespace vessa_tool
