// Reading inputs and writing outputs for the vessa commands. An absent path
// (or "-") means standard input or standard output; files are written only
// when asked, and never over an existing file unless `force` is set.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vessa_tool {

// True for an absent path or "-": standard input or standard output.
bool IsStandardStream(const std::optional<std::string> &path);

// Throws UsageError when two inputs would both be read from standard input;
// `first` and `second` name them in the message.
void RefuseSharedStandardInput(const std::optional<std::string> &first_path,
                               const std::optional<std::string> &second_path,
                               const std::string &first, const std::string &second);

// "standard input" for an absent path or "-", else the path in quotes; used
// to name the input in messages.
std::string InputName(const std::optional<std::string> &path);

// The whole content of the file, or of standard input. Throws ToolError
// naming the input when it cannot be read.
std::string ReadInput(const std::optional<std::string> &path);

// Removes one trailing "\n", as key and signature files end with one.
void StripOneNewline(std::string &text);

// Creates `path` with `data` (mode 0600 when `private_file`, else 0644 less
// the umask). Refuses an existing file unless `force`; on a failed write the
// half-written file is removed. Throws ToolError naming the file.
void WriteNewFile(const std::string &path, std::string_view data, bool force, bool private_file);

// Throws ToolError unless `path` is free to be written (it does not exist,
// or `force` is set).
void CheckWritable(const std::string &path, bool force);

// Writes `data` to `path` (as WriteNewFile) or, when path is absent or "-",
// to standard output.
void WriteOutput(const std::optional<std::string> &path, std::string_view data, bool force);

}  // namespace vessa_tool
