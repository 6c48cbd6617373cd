// The literal chain's k-th point, from the canonical multiple k*B.
#pragma once

#include <cstdint>

#include "curve/fast/group_table.h"
#include "curve/fast/jacobian_point.h"
#include "vessa.h"

namespace vessa {

// ScalarMultiply's result for 2 <= k < 2^62 (already reduced by the
// curve's n) and a base `b` in the fast domain, `base` its canonical form,
// on the fixed curve. For a base on the curve the canonical multiple comes
// from `table` (when it is not null); every other base, on a curve
// y^2 = x^3 + x + b' of its own, takes the logarithmic-time ladder.
//
// The result is the canonical k*B except where a coordinate of it is 0 (see
// fast_path_domain.h): then the chain is replayed with literal additions
// from the last point before k whose stored form is known.
EccPoint ChainMultiple(const EccCurve &curve, uint64_t k, AffinePoint base, EccPoint b,
                       const GroupTable *table) noexcept;

}  // namespace vessa
