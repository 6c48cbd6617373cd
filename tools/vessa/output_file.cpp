#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "display_name.h"
#include "tool_error.h"

namespace vessa_tool {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// Temporary files to remove when a signal ends the process. Paths are copied
// into fixed storage beforehand, since the handler may only call unlink.
struct PendingTemporary {
    char path[4096];
    volatile sig_atomic_t active;
};
PendingTemporary g_pending[4];

extern "C" void RemovePendingAndReraise(int signal_number) {
    for (PendingTemporary &pending : g_pending) {
        if (pending.active != 0) {
            ::unlink(pending.path);
        }
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

int RegisterPending(const std::string &path) {
    static const bool installed = [] {
        for (int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
            struct sigaction action {};
            action.sa_handler = RemovePendingAndReraise;
            sigemptyset(&action.sa_mask);
            struct sigaction previous {};
            // A signal the caller chose to ignore stays ignored.
            if (::sigaction(signal_number, nullptr, &previous) == 0 &&
                previous.sa_handler != SIG_IGN) {
                ::sigaction(signal_number, &action, nullptr);
            }
        }
        return true;
    }();
    (void)installed;
    for (int slot = 0; slot < static_cast<int>(std::size(g_pending)); ++slot) {
        PendingTemporary &pending = g_pending[slot];
        if (pending.active == 0 && path.size() < sizeof(pending.path)) {
            std::memcpy(pending.path, path.c_str(), path.size() + 1);
            pending.active = 1;
            return slot;
        }
    }
    return -1;
}

void UnregisterPending(int slot) {
    if (slot >= 0) {
        g_pending[slot].active = 0;
    }
}

std::string SystemError(const std::string &what, int error) {
    return what + ": " + std::strerror(error);
}

// The descriptor that the names of the process's own streams stand for:
// "/dev/stdout" 1, "/dev/stderr" 2, "/dev/fd/N" and "/proc/self/fd/N" N.
std::optional<int> OwnStreamDescriptor(const std::string &path) {
    if (path == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (path == "/dev/stderr") {
        return STDERR_FILENO;
    }
    for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0) {
            int fd = -1;
            const char *begin = path.data() + prefix.size();
            const char *end = path.data() + path.size();
            auto [ptr, ec] = std::from_chars(begin, end, fd);
            if (ec == std::errc() && ptr == end && fd >= 0) {
                return fd;
            }
        }
    }
    return std::nullopt;
}

// The directory part of `path` ("." for a bare name) and the last component.
std::pair<std::string, std::string> SplitPath(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

void SyncDirectory(const std::string &directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // The file's content is already on disk; a file system that cannot
        // sync directories loses at most the rename, never the old file.
        (void)::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

OutputFile::OutputFile(const std::optional<std::string> &path, OutputOptions options)
    : name_(OutputName(path)) {
    buffer_.reserve(kBufferSize);
    if (IsStandardStream(path)) {
        if (options.binary && !path && ::isatty(STDOUT_FILENO) == 1) {
            throw ToolError(
                "refusing to write raw binary output to a terminal; redirect standard output, "
                "give --out FILE, or give '--out -' to write it there anyway");
        }
        fd_ = STDOUT_FILENO;
        return;
    }
    target_ = *path;
    if (std::optional<int> fd = OwnStreamDescriptor(target_)) {
        fd_ = *fd;
        return;
    }
    if (target_.empty()) {
        throw UsageError("the output file name is empty");
    }
    struct stat info {};
    bool exists = ::lstat(target_.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        throw ToolError(SystemError("cannot write " + name_, errno));
    }
    if ((exists && S_ISDIR(info.st_mode)) || target_.back() == '/') {
        throw ToolError(name_ + " is a directory");
    }
    if (exists && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        if (options.private_file) {
            // A FIFO planted where a key file is expected would hand the
            // private key to whoever reads it.
            throw ToolError(name_ + " is not a regular file; a private key is only written "
                                    "to a new regular file");
        }
        // A terminal, pipe, FIFO or device: there is nothing to replace.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
        if (fd_ < 0) {
            throw ToolError(SystemError("cannot open " + name_, errno));
        }
        owned_ = true;
        struct stat opened {};
        if (::fstat(fd_, &opened) != 0 || S_ISREG(opened.st_mode)) {
            ::close(fd_);
            throw ToolError(name_ + " changed while it was being opened");
        }
        return;
    }
    if (exists && !options.force) {
        throw ToolError(name_ + " already exists (use --force to replace it)");
    }
    replace_ = exists;
    auto [directory, base] = SplitPath(target_);
    // A short enough name for any file system that takes the target's name.
    std::string pattern = directory + "/." + base.substr(0, 200) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        throw ToolError(SystemError("cannot create a temporary file beside " + name_, errno));
    }
    owned_ = true;
    temporary_ = name.data();
    slot_ = RegisterPending(temporary_);
    if (::fchmod(fd_, options.private_file ? 0600 : 0644) != 0) {
        int error = errno;
        ::close(fd_);
        ::unlink(temporary_.c_str());
        UnregisterPending(slot_);
        throw ToolError(SystemError("cannot set the mode of the temporary file for " + name_, error));
    }
}

OutputFile::~OutputFile() {
    if (owned_ && fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty() && !published_) {
        ::unlink(temporary_.c_str());
    }
    UnregisterPending(slot_);
}

void OutputFile::Fail(const std::string &what, int error) {
    throw ToolError(SystemError(what + " " + name_, error));
}

void OutputFile::Flush() {
    std::string_view data = buffer_;
    while (!data.empty()) {
        ssize_t put = ::write(fd_, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot write", errno);
        }
        data.remove_prefix(static_cast<size_t>(put));
    }
    buffer_.clear();
}

void OutputFile::Write(std::string_view data) {
    while (!data.empty()) {
        size_t take = std::min(data.size(), kBufferSize - buffer_.size());
        buffer_.append(data.substr(0, take));
        data.remove_prefix(take);
        if (buffer_.size() == kBufferSize) {
            Flush();
        }
    }
}

void OutputFile::Finish() {
    if (finished_) {
        return;
    }
    Flush();
    if (!temporary_.empty() && ::fsync(fd_) != 0) {
        Fail("cannot write", errno);
    }
    if (owned_) {
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            Fail("cannot write", errno);
        }
    }
    finished_ = true;
}

void OutputFile::Publish() {
    if (temporary_.empty() || published_) {
        return;
    }
    int renamed = replace_ ? ::rename(temporary_.c_str(), target_.c_str())
                           : ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD,
                                         target_.c_str(), RENAME_NOREPLACE);
    if (renamed != 0 && !replace_ && errno == EINVAL) {
        // A file system without RENAME_NOREPLACE: a hard link also refuses
        // to replace an existing name.
        renamed = ::link(temporary_.c_str(), target_.c_str());
        if (renamed == 0) {
            ::unlink(temporary_.c_str());
        }
    }
    if (renamed != 0) {
        if (errno == EEXIST) {
            throw ToolError(name_ + " already exists (use --force to replace it)");
        }
        Fail("cannot replace", errno);
    }
    published_ = true;
    UnregisterPending(slot_);
    SyncDirectory(SplitPath(target_).first);
}

void OutputFile::Commit() {
    Finish();
    Publish();
}

}  // namespace vessa_tool
