#include "random/os_entropy.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace vessa {
namespace {

long SystemGetrandom(void *buf, size_t len, unsigned flags) {
    return ::syscall(SYS_getrandom, buf, len, flags);
}

std::atomic<GetrandomFn> g_getrandom{&SystemGetrandom};
std::atomic<const char *> g_urandom_path{"/dev/urandom"};

// Returns 0 when all bytes came, ENOSYS/EPERM to ask for the fallback, or
// another errno.
int ReadGetrandom(uint8_t *out, size_t size) noexcept {
    const GetrandomFn fn = g_getrandom.load(std::memory_order_relaxed);
    while (size > 0) {
        const long n = fn(out, size, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        out += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int ReadUrandom(uint8_t *out, size_t size) noexcept {
    int fd = -1;
    do {
        fd = ::open(g_urandom_path.load(std::memory_order_relaxed), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return errno;
    }
    int result = 0;
    while (size > 0) {
        const ssize_t n = ::read(fd, out, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            result = n < 0 ? errno : EIO;
            break;
        }
        out += n;
        size -= static_cast<size_t>(n);
    }
    ::close(fd);
    return result;
}

}  // namespace

int OsRandomBytes(uint8_t *out, size_t size) noexcept {
    const int rc = ReadGetrandom(out, size);
    if (rc == ENOSYS || rc == EPERM) {
        return ReadUrandom(out, size);
    }
    return rc;
}

void SetGetrandomForTesting(GetrandomFn fn) noexcept {
    g_getrandom.store(fn != nullptr ? fn : &SystemGetrandom, std::memory_order_relaxed);
}

void SetUrandomPathForTesting(const char *path) noexcept {
    g_urandom_path.store(path != nullptr ? path : "/dev/urandom", std::memory_order_relaxed);
}

}  // namespace vessa
