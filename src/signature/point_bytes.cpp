#include "signature/point_bytes.h"

namespace vessa {

void PointByteString::AppendCoordinate(int64_t value) noexcept {
    const auto bits = static_cast<uint64_t>(value);
    for (int shift = 56; shift >= 0; shift -= 8) {
        // Written in any case and kept only when not zero: no branch to
        // mispredict on the bytes of a random point. size_ never exceeds
        // the count of bytes seen, so every write is in bounds.
        const auto byte = static_cast<uint8_t>(bits >> shift);
        bytes_[size_] = byte;
        size_ += byte != 0 ? 1 : 0;
    }
}

PointByteString PointBytes(EccPoint point) noexcept {
    PointByteString out;
    out.AppendCoordinate(point.x);
    out.AppendCoordinate(point.y);
    return out;
}

}  // namespace vessa
