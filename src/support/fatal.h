// Ending the process on an internal fault.
//
// The library never reports an internal fault as a return code: a guarded
// division with a zero divisor, an empty random range or a random source that
// cannot be set up writes one diagnostic line to stderr and aborts.
#pragma once

namespace vessa {

// Writes `message` and a newline to stderr, then aborts. Async-signal-safe
// (write(2) only), so it may be called from any context.
[[noreturn]] void Fatal(const char *message) noexcept;

// As Fatal, with `detail` appended directly after `message`.
[[noreturn]] void Fatal(const char *message, const char *detail) noexcept;

}  // namespace vessa
