#include "curve/literal/guarded_division.h"

#include <limits>

#include "support/fatal.h"

namespace vessa {

int64_t GuardedDivAny(int64_t a, int64_t b) noexcept {
    if (b == 0) {
        Fatal(kDivideByZero);
    }
    if (b == -1 && a == std::numeric_limits<int64_t>::min()) {
        Fatal(kDivideOverflow);
    }
    return a / b;
}

int64_t GuardedRemAny(int64_t a, int64_t b) noexcept {
    if (b == 0) {
        Fatal(kRemainderByZero);
    }
    if (b == -1 && a == std::numeric_limits<int64_t>::min()) {
        Fatal(kRemainderOverflow);
    }
    return a % b;
}

}  // namespace vessa
