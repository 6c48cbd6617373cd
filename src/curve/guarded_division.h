// Truncating division and remainder with the library's guards.
//
// A zero divisor, and INT64_MIN divided by -1, have no defined result; instead
// of undefined behaviour they stop the process with a fixed diagnostic. The
// library's own operations on the curve from ecc_new never reach the guards.
#pragma once

#include <cstdint>

namespace vessa {

inline constexpr const char kRemainderByZero[] =
    "attempt to calculate the remainder with a divisor of zero";
inline constexpr const char kRemainderOverflow[] = "attempt to calculate the remainder with overflow";
inline constexpr const char kDivideByZero[] = "attempt to divide by zero";
inline constexpr const char kDivideOverflow[] = "attempt to divide with overflow";

// a / b truncated toward zero.
int64_t GuardedDiv(int64_t a, int64_t b) noexcept;

// a rem b, with the sign of the dividend.
int64_t GuardedRem(int64_t a, int64_t b) noexcept;

}  // namespace vessa
