// The small texts that the vessa commands read whole: key texts and
// signatures. Whitespace around the text (trailing spaces, CRLF line ends,
// blank lines) is accepted; anything else wrong is reported with what it is
// and where it stands.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vessa_tool {

// The bound on a key or signature file: far above the 345 bytes of a key
// line, far below anything that could strain memory.
inline constexpr size_t kShortTextLimit = 4096;

// A text with the whitespace around it removed, and the offset of its first
// byte in what was read, so that messages can name input offsets.
struct ShortText {
    std::string text;
    size_t offset = 0;
};

// Removes spaces, tabs, carriage returns and line feeds from both ends.
ShortText TrimWhitespace(std::string_view content);

// "byte 0x20 (a space) at offset 12": one byte of the input, for messages.
std::string DescribeByteAt(unsigned char byte, size_t offset);

}  // namespace vessa_tool
