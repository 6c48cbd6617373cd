// Truncating division and remainder with the library's guards.
//
// A zero divisor, and INT64_MIN divided by -1, have no defined result; instead
// of undefined behaviour they stop the process with a fixed diagnostic. The
// library's own operations on the curve from ecc_new never reach the guards.
#pragma once

#include <cstdint>

#include "curve/curve_params.h"

namespace vessa {

inline constexpr const char kRemainderByZero[] =
    "attempt to calculate the remainder with a divisor of zero";
inline constexpr const char kRemainderOverflow[] = "attempt to calculate the remainder with overflow";
inline constexpr const char kDivideByZero[] = "attempt to divide by zero";
inline constexpr const char kDivideOverflow[] = "attempt to divide with overflow";

// a / b truncated toward zero, by a divisor known only at run time.
int64_t GuardedDivAny(int64_t a, int64_t b) noexcept;

// a rem b, with the sign of the dividend, by a divisor known only at run time.
int64_t GuardedRemAny(int64_t a, int64_t b) noexcept;

// a / b truncated toward zero. The curve's own moduli and small constants
// divide by a multiplication, which is exact; everything else goes through
// the guarded division.
inline int64_t GuardedDiv(int64_t a, int64_t b) noexcept {
    if (b == 7) {
        return a / 7;
    }
    return GuardedDivAny(a, b);
}

// a rem b, with the sign of the dividend; the prime and the group order of
// the curve are divided by multiplication.
inline int64_t GuardedRem(int64_t a, int64_t b) noexcept {
    if (b == kCurveP) {
        return a % kCurveP;
    }
    if (b == kCurveOrder) {
        return a % kCurveOrder;
    }
    return GuardedRemAny(a, b);
}

}  // namespace vessa
