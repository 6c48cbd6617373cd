#include "signature/point_bytes.h"

namespace vessa {

void PointByteString::AppendCoordinate(int64_t value) noexcept {
    const auto bits = static_cast<uint64_t>(value);
    for (int shift = 56; shift >= 0; shift -= 8) {
        const auto byte = static_cast<uint8_t>(bits >> shift);
        if (byte != 0) {
            bytes_[size_++] = byte;
        }
    }
}

PointByteString PointBytes(EccPoint point) noexcept {
    PointByteString out;
    out.AppendCoordinate(point.x);
    out.AppendCoordinate(point.y);
    return out;
}

}  // namespace vessa
