// Key material from the operating system.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vessa {

// Fills `out` with `size` bytes from getrandom(2), or from /dev/urandom when
// the kernel reports the call as missing (ENOSYS) or not permitted (EPERM).
// Interrupted reads are retried. Returns 0, or the errno of the failure.
int OsRandomBytes(uint8_t *out, size_t size) noexcept;

// Test seams: replace the getrandom call or the device path (nullptr
// restores the default). Not for production use.
using GetrandomFn = long (*)(void *buf, size_t len, unsigned flags);
void SetGetrandomForTesting(GetrandomFn fn) noexcept;
void SetUrandomPathForTesting(const char *path) noexcept;

}  // namespace vessa
