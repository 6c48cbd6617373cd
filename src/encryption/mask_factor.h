// The factor that masks a byte value: the magnitude of the x-coordinate of
// the point shared between the sender's scalar and the receiver's key.
#pragma once

#include <cstdint>

#include "curve/literal/int64_arith.h"
#include "vessa.h"

namespace vessa {

// |S.x| with wrap-around; the point at infinity (x = -1) gives 1.
constexpr int64_t MaskFactor(const EccPoint &shared) noexcept { return WrappingAbs(shared.x); }

}  // namespace vessa
