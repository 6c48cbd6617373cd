#include "input_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "diagnostics.h"
#include "display_name.h"
#include "tool_error.h"

namespace vessa_tool {

InputStream::InputStream(const std::optional<std::string> &path, std::string_view what)
    : fd_(STDIN_FILENO), owned_(false), name_(InputName(path)) {
    if (IsStandardStream(path)) {
        if (::isatty(STDIN_FILENO) == 1) {
            Note("reading " + std::string(what) +
                 " from the terminal; end it with Ctrl-D at the start of a line");
        }
        return;
    }
    fd_ = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        throw ToolError("cannot open " + name_ + ": " + std::strerror(errno));
    }
    owned_ = true;
}

InputStream::~InputStream() {
    if (owned_) {
        ::close(fd_);
    }
}

size_t InputStream::Read(void *buffer, size_t size) {
    auto *bytes = static_cast<char *>(buffer);
    size_t filled = 0;
    while (filled < size) {
        ssize_t got = ::read(fd_, bytes + filled, size - filled);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ToolError("cannot read " + name_ + ": " + std::strerror(errno));
        }
        filled += static_cast<size_t>(got);
    }
    return filled;
}

std::string ReadSmallInput(const std::optional<std::string> &path, std::string_view what,
                           size_t limit) {
    InputStream input(path, what);
    std::string content(limit + 1, '\0');
    size_t got = input.Read(content.data(), content.size());
    if (got > limit) {
        throw ToolError(input.name() + " is larger than " + std::to_string(limit) +
                        " bytes; it cannot be " + std::string(what));
    }
    content.resize(got);
    return content;
}

void RefuseSharedStandardInput(const std::optional<std::string> &first_path,
                               const std::optional<std::string> &second_path,
                               const std::string &first, const std::string &second) {
    if (IsStandardStream(first_path) && IsStandardStream(second_path)) {
        throw UsageError(first + " and " + second + " cannot both come from standard input");
    }
}

}  // namespace vessa_tool
