#include "support/secure_wipe.h"

namespace vessa {

void SecureWipe(void *data, std::size_t size) noexcept {
    volatile unsigned char *bytes = static_cast<volatile unsigned char *>(data);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = 0;
    }
    // Tell the compiler the wiped memory is observed, so no store is elided.
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

}  // namespace vessa
