// Reading the inputs of the vessa commands: large inputs (messages,
// plaintexts, ciphertexts) in pieces, so that memory does not grow with
// them, and small ones (keys, signatures) whole but only up to a bound.
// An absent path or "-" means standard input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vessa_tool {

class InputStream {
public:
    // Opens the input. `what` ("the message") names the content in the hint
    // printed on standard error when standard input is a terminal. Throws
    // ToolError naming the input when it cannot be opened.
    InputStream(const std::optional<std::string> &path, std::string_view what);
    ~InputStream();
    InputStream(const InputStream &) = delete;
    InputStream &operator=(const InputStream &) = delete;

    // Reads up to `size` bytes into `buffer`, fewer only at the end; returns 0
    // at the end. Throws ToolError naming the input on a read error.
    size_t Read(void *buffer, size_t size);

    // "standard input" or the quoted path.
    const std::string &name() const { return name_; }

private:
    int fd_;
    bool owned_;
    std::string name_;
};

// The whole of a small input such as a key or signature file: throws
// ToolError when it holds more than `limit` bytes, so that a wrong path
// (a large file, an endless device) cannot exhaust memory.
std::string ReadSmallInput(const std::optional<std::string> &path, std::string_view what,
                           size_t limit);

// Throws UsageError when two inputs would both be read from standard input;
// `first` and `second` name them in the message.
void RefuseSharedStandardInput(const std::optional<std::string> &first_path,
                               const std::optional<std::string> &second_path,
                               const std::string &first, const std::string &second);

}  // namespace vessa_tool
