// The message of sign and verify: from --message TEXT, from --in FILE, or
// from standard input.
#pragma once

#include <string>

#include "arg_parser.h"

namespace vessa_tool {

// Options that choose the message; shared by the commands that take one.
inline const OptionSpec kMessageOption{"message", "TEXT", "the message itself"};
inline const OptionSpec kMessageFileOption{"in", "FILE",
                                           "read the message from FILE (default: standard input)"};

// The message bytes exactly as given (a trailing newline is part of the
// message). Throws UsageError when both sources are named or when the key
// also comes from standard input, and ToolError when the message holds a
// NUL byte, since only the bytes before it would be signed.
std::string ReadMessage(const ParsedArgs &args);

}  // namespace vessa_tool
