#include "support/fatal.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

// GCOVR_EXCL_START: all of this runs only in processes that then abort, and
// those write no coverage data.
namespace vessa {
namespace {

void WriteAll(const char *text) noexcept {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, text, left);
        if (n <= 0) {
            return;
        }
        text += n;
        left -= static_cast<size_t>(n);
    }
}

}  // namespace

void Fatal(const char *message) noexcept { Fatal(message, ""); }

void Fatal(const char *message, const char *detail) noexcept {
    WriteAll(message);
    WriteAll(detail);
    WriteAll("\n");
    std::abort();
}

}  // namespace vessa
// GCOVR_EXCL_STOP
