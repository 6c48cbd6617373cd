// How file names and other user-given texts appear in messages: in single
// quotes, with control characters escaped so that a name cannot move the
// cursor, clear the line or split a message in two.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vessa_tool {

// `text` in single quotes; "\n", "\r", "\t", "\\" and every other byte below
// 0x20 or equal to 0x7f written as escapes ("\x1b").
std::string Quoted(std::string_view text);

// True for an absent path or "-": standard input or standard output.
bool IsStandardStream(const std::optional<std::string> &path);

// "standard input" for an absent path or "-", else the quoted path.
std::string InputName(const std::optional<std::string> &path);

// "standard output" for an absent path or "-", else the quoted path.
std::string OutputName(const std::optional<std::string> &path);

}  // namespace vessa_tool
