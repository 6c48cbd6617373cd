// Loading key texts for the vessa commands. A key file holds the 344-character
// text and a newline; one trailing newline is stripped, and the text must be
// read by the library's own key reader before a command uses it.
#pragma once

#include <optional>
#include <string>

namespace vessa_tool {

// The private key text from `path` (standard input when absent or "-").
// Throws ToolError naming the input when it is not a valid key text.
std::string LoadPrivateKey(const std::optional<std::string> &path);

// The public key text from `path`, checked likewise.
std::string LoadPublicKey(const std::optional<std::string> &path);

// Throws ToolError naming `what` when `text` holds a NUL byte, which the
// library's text interface would silently cut at.
void RefuseEmbeddedNul(const std::string &text, const std::string &what);

}  // namespace vessa_tool
