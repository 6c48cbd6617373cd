// The byte string that stands for a point in the signature digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "vessa.h"

namespace vessa {

// Up to 16 bytes: x then y, each as its stored value in eight big-endian
// two's-complement bytes with every zero byte dropped, wherever it stands.
// Works on the stored integers, so (0, 1) and (99991, 1) give different
// strings although the points are congruent.
class PointByteString {
public:
    std::span<const uint8_t> bytes() const & noexcept { return {bytes_.data(), size_}; }
    // A view into a temporary would dangle.
    std::span<const uint8_t> bytes() const && = delete;

private:
    friend PointByteString PointBytes(EccPoint point) noexcept;
    void AppendCoordinate(int64_t value) noexcept;

    std::array<uint8_t, 16> bytes_{};
    size_t size_ = 0;
};

PointByteString PointBytes(EccPoint point) noexcept;

}  // namespace vessa
