// The fingerprint of a public key text: 16 hexadecimal digits that are the
// same for every text of the same key, so that people can compare keys.
#pragma once

#include <string>

namespace vessa_tool {

// Throws ToolError when the library refuses the text.
std::string KeyFingerprint(const std::string &public_key_text);

}  // namespace vessa_tool
