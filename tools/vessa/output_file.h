// Writing the outputs of the vessa commands so that a failure never costs
// the user a file.
//
// A regular file is never written in place. The output goes to a new
// temporary file beside the target (created with O_EXCL, its mode set with
// fchmod: 0600 for a private key, 0644 otherwise, whatever the umask or the
// old file's mode), which is synced and renamed over the target only when
// everything was written. Any failure, or an interrupting signal, removes
// the temporary file and leaves the old target exactly as it was. A symbolic
// link at the target is replaced like a file, never followed, so a planted
// link cannot redirect a private key. An existing target (file or link) is
// replaced only with --force.
//
// Outputs that are not regular files (a terminal, a pipe, a FIFO, a device)
// cannot be replaced and are written in place, without --force; so are the
// names of the process's own streams ("/dev/stdout", "/dev/stderr",
// "/dev/fd/N", "/proc/self/fd/N"). A directory is refused, and so is any
// target other than a regular file or link for a private key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vessa_tool {

struct OutputOptions {
    bool force = false;         // an existing file or link may be replaced
    bool private_file = false;  // mode 0600 instead of 0644
    bool binary = false;        // raw bytes: refused on a terminal unless "-" was named
};

class OutputFile {
public:
    // Checks the target and, for a file, creates the temporary file; nothing
    // is written yet. An absent path means standard output; "-" means it too
    // and counts as asking for binary output on a terminal. Throws ToolError
    // naming the target.
    OutputFile(const std::optional<std::string> &path, OutputOptions options);
    // Removes the temporary file unless it was published.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Appends data through a fixed buffer.
    void Write(std::string_view data);

    // Writes out the buffer and, for a file, syncs and closes the temporary
    // file. Throws ToolError naming the target.
    void Finish();

    // Renames the finished temporary file over the target and syncs the
    // directory; nothing for outputs written in place.
    void Publish();

    // Finish, then Publish.
    void Commit();

    const std::string &name() const { return name_; }

private:
    void Flush();
    [[noreturn]] void Fail(const std::string &what, int error);

    std::string name_;
    std::string target_;
    std::string temporary_;  // empty when written in place
    int fd_ = -1;
    bool owned_ = false;      // fd_ was opened here and is closed here
    bool replace_ = false;    // rename may replace an existing target
    bool finished_ = false;
    bool published_ = false;
    int slot_ = -1;           // the temporary file's entry in the signal cleanup list
    std::string buffer_;
};

}  // namespace vessa_tool
