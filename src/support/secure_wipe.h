// Wiping secrets so that the optimiser cannot drop the stores.
#pragma once

#include <cstddef>
#include <cstring>

namespace vessa {

// Overwrites `size` bytes at `data` with zeros, in whole words where it can.
// The stores are followed by a compiler barrier that claims to read the
// memory, so they survive even when it is about to go out of scope.
inline void SecureWipe(void *data, std::size_t size) noexcept {
    std::memset(data, 0, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

template <typename T>
void SecureWipeObject(T &object) noexcept {
    SecureWipe(&object, sizeof(object));
}

}  // namespace vessa
