#include "curve/literal/guarded_division.h"

#include <limits>

#include "support/fatal.h"

namespace vessa {

int64_t GuardedDivAny(int64_t a, int64_t b) noexcept {
    if (b == 0) {
        Fatal(kDivideByZero);  // GCOVR_EXCL_LINE: stops the process
    }
    if (b == -1 && a == std::numeric_limits<int64_t>::min()) {
        Fatal(kDivideOverflow);  // GCOVR_EXCL_LINE: stops the process
    }
    return a / b;
}

int64_t GuardedRemAny(int64_t a, int64_t b) noexcept {
    if (b == 0) {
        Fatal(kRemainderByZero);  // GCOVR_EXCL_LINE: stops the process
    }
    if (b == -1 && a == std::numeric_limits<int64_t>::min()) {
        Fatal(kRemainderOverflow);  // GCOVR_EXCL_LINE: stops the process
    }
    return a % b;
}

}  // namespace vessa
