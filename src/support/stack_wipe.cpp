#include "support/stack_wipe.h"

#include <cstdint>
#include <cstring>

namespace vessa {

void WipeStackBelow() noexcept {
    uint64_t region[kStackWipeBytes / sizeof(uint64_t)];
    // Whole vectors at a time; the barrier claims to read the region, so the
    // stores can be neither dropped nor shortened.
    std::memset(region, 0, sizeof(region));
    __asm__ __volatile__("" : : "r"(region) : "memory");
}

}  // namespace vessa
