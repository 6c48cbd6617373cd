// Wiping secrets so that the optimiser cannot drop the stores.
#pragma once

#include <cstddef>

namespace vessa {

// Overwrites `size` bytes at `data` with zeros. The stores go through a
// volatile pointer and are followed by a compiler barrier, so they survive
// even when the memory is about to go out of scope.
void SecureWipe(void *data, std::size_t size) noexcept;

template <typename T>
void SecureWipeObject(T &object) noexcept {
    SecureWipe(&object, sizeof(object));
}

}  // namespace vessa
