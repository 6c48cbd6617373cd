// Many multiples of one point: what ScalarMultiply decides about the point
// (the path, its canonical form, the table) decided once.
#pragma once

#include <cstdint>

#include "curve/fast/group_table.h"
#include "curve/fast/jacobian_point.h"
#include "vessa.h"

namespace vessa {

class PointMultiples {
public:
    PointMultiples(const EccCurve &curve, EccPoint b) noexcept;

    // ScalarMultiply(curve, k, b), exactly.
    EccPoint Times(int64_t k) const noexcept;

private:
    const EccCurve &curve_;
    EccPoint b_;
    AffinePoint base_{};
    bool fast_ = false;
    const GroupTable *table_ = nullptr;
};

}  // namespace vessa
