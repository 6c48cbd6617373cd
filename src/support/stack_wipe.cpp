#include "support/stack_wipe.h"

#include <cstddef>
#include <cstdint>

namespace vessa {

void WipeStackBelow() noexcept {
    uint64_t region[kStackWipeBytes / sizeof(uint64_t)];
#if defined(__x86_64__) && defined(__GNUC__)
    // One string store of whole words, in this frame: a call to memset would
    // leave its own frame below the region.
    void *cursor = region;
    std::size_t words = sizeof(region) / sizeof(uint64_t);
    __asm__ __volatile__("rep stosq" : "+D"(cursor), "+c"(words) : "a"(uint64_t{0}) : "memory");
#else
    volatile uint64_t *words = region;
    for (std::size_t i = 0; i < sizeof(region) / sizeof(uint64_t); ++i) {
        words[i] = 0;
    }
#endif
    __asm__ __volatile__("" : : "r"(region) : "memory");
}

}  // namespace vessa
