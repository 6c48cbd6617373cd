// Fixed-width integers as little-endian byte strings, least significant byte
// first, independent of the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vessa {

template <typename Unsigned>
constexpr void StoreLittleEndian(Unsigned value, uint8_t *out) noexcept {
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        out[i] = static_cast<uint8_t>(value >> (8U * i));
    }
}

template <typename Unsigned>
constexpr Unsigned LoadLittleEndian(const uint8_t *in) noexcept {
    Unsigned value = 0;
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        value = static_cast<Unsigned>(value | (static_cast<Unsigned>(in[i]) << (8U * i)));
    }
    return value;
}

}  // namespace vessa
