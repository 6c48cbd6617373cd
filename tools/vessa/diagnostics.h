// Lines for standard error that are not failures (what was written, what the
// command waits for), prefixed like every message of the running command.
#pragma once

#include <string>
#include <string_view>

namespace vessa_tool {

// "vessa" or "vessa COMMAND": the prefix of every line on standard error.
void SetCommandPrefix(std::string prefix);
const std::string &CommandPrefix();

// Writes "PREFIX: line" and a newline to standard error.
void Note(std::string_view line);

}  // namespace vessa_tool
