// Errors that end a vessa command: a one-line message for stderr and the
// process exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace vessa_tool {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1;  // a well-formed signature that does not match
inline constexpr int kExitUsage = 2;    // bad arguments, unreadable or malformed input

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string &message, int exit_status = kExitUsage)
        : std::runtime_error(message), exit_status_(exit_status) {}
    int exit_status() const noexcept { return exit_status_; }

private:
    int exit_status_;
};

// A mistake in the command line itself; the message is followed by a hint
// to run --help.
class UsageError : public ToolError {
public:
    explicit UsageError(const std::string &message) : ToolError(message, kExitUsage) {}
};

}  // namespace vessa_tool
