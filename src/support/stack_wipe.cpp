#include "support/stack_wipe.h"

#include <cstdint>

namespace vessa {

void WipeStackBelow() noexcept {
    uint64_t region[kStackWipeBytes / sizeof(uint64_t)];
    volatile uint64_t *words = region;
    for (std::size_t i = 0; i < kStackWipeBytes / sizeof(uint64_t); ++i) {
        words[i] = 0;
    }
    __asm__ __volatile__("" : : "r"(region) : "memory");
}

}  // namespace vessa
