// The message of sign and verify and the plaintext of encrypt: from
// --message TEXT, from --in FILE, or from standard input, taken byte for
// byte in pieces of fixed size, so that inputs of any size and any bytes
// (NUL included) pass in constant memory.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "arg_parser.h"

namespace vessa_tool {

// The size of the pieces in which large inputs are read.
inline constexpr size_t kPieceSize = 64 * 1024;

// Options that choose the message; shared by the commands that take one.
inline const OptionDefinition kMessageOption{"message", "TEXT", "the message itself", 'm'};
inline const OptionDefinition kMessageFileOption{
    "in", "FILE", "read the message from FILE (default: standard input)", 'i'};

// Throws UsageError when the key and the input chosen by --message or --in
// would both be read from standard input; `what` names the input.
void RefuseKeyAndInputOnStandardInput(const ParsedArgs &args, const std::string &what);

// Calls `consume` on each piece of the input chosen by --message or --in
// (standard input without either); `what` names it ("the message"). Throws
// UsageError when both options are given, and ToolError when the input
// cannot be read.
void ForEachInputPiece(const ParsedArgs &args, const std::string &what,
                       const std::function<void(const uint8_t *, size_t)> &consume);

}  // namespace vessa_tool
