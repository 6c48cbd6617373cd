#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool_error.h"

namespace vessa_tool {

namespace {

std::string SystemError(const std::string &what, int error) {
    return what + ": " + std::strerror(error);
}

bool ReadAll(int fd, std::string &out) {
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        out.append(chunk, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

}  // namespace

bool IsStandardStream(const std::optional<std::string> &path) { return !path || *path == "-"; }

void RefuseSharedStandardInput(const std::optional<std::string> &first_path,
                               const std::optional<std::string> &second_path,
                               const std::string &first, const std::string &second) {
    if (IsStandardStream(first_path) && IsStandardStream(second_path)) {
        throw UsageError(first + " and " + second + " cannot both come from standard input");
    }
}

std::string InputName(const std::optional<std::string> &path) {
    return IsStandardStream(path) ? "standard input" : "'" + *path + "'";
}

std::string ReadInput(const std::optional<std::string> &path) {
    std::string content;
    if (IsStandardStream(path)) {
        if (!ReadAll(STDIN_FILENO, content)) {
            throw ToolError(SystemError("cannot read standard input", errno));
        }
        return content;
    }
    int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw ToolError(SystemError("cannot open " + InputName(path), errno));
    }
    bool ok = ReadAll(fd, content);
    int read_error = errno;
    ::close(fd);
    if (!ok) {
        throw ToolError(SystemError("cannot read " + InputName(path), read_error));
    }
    return content;
}

void StripOneNewline(std::string &text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
}

void CheckWritable(const std::string &path, bool force) {
    struct stat info {};
    if (!force && ::lstat(path.c_str(), &info) == 0) {
        throw ToolError("'" + path + "' already exists (use --force to overwrite it)");
    }
}

void WriteNewFile(const std::string &path, std::string_view data, bool force, bool private_file) {
    // O_EXCL makes the no-overwrite promise hold even if the file appears
    // between a check and the write.
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (force ? O_TRUNC : O_EXCL);
    int fd = ::open(path.c_str(), flags, private_file ? 0600 : 0644);
    if (fd < 0) {
        if (errno == EEXIST) {
            throw ToolError("'" + path + "' already exists (use --force to overwrite it)");
        }
        throw ToolError(SystemError("cannot create '" + path + "'", errno));
    }
    bool ok = WriteAll(fd, data);
    int write_error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        write_error = errno;
    }
    if (!ok) {
        ::unlink(path.c_str());
        throw ToolError(SystemError("cannot write '" + path + "'", write_error));
    }
}

void WriteOutput(const std::optional<std::string> &path, std::string_view data, bool force) {
    if (!IsStandardStream(path)) {
        WriteNewFile(*path, data, force, false);
        return;
    }
    if (!WriteAll(STDOUT_FILENO, data)) {
        throw ToolError(SystemError("cannot write standard output", errno));
    }
}

}  // namespace vessa_tool
