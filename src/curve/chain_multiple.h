// The literal chain's k-th point for a base in the fast domain, from the
// canonical multiple k*B.
#pragma once

#include <cstdint>

#include "curve/group_table.h"
#include "curve/jacobian_point.h"
#include "vessa.h"

namespace vessa {

// ScalarMultiply's result for 2 <= k (already reduced by the curve's n) and
// a base `b` in the fast domain (`base` its canonical form), on the fixed
// curve. The canonical multiple comes from `table`, or, when it is null, is
// computed in logarithmic time.
//
// The chain's points are the canonical multiples except that an x of 0 may
// be stored as p (see fast_path_domain.h). So the canonical k*B is the
// result whenever its x is not 0; the point at infinity is stored as
// (-1, -1), since the step that reaches it adds B to -B, whose stored x is
// B's own (B's x is not 0). Only for x = 0 are the last two additions
// replayed exactly, from the canonical (k - 2)*B.
EccPoint ChainMultiple(const EccCurve &curve, uint64_t k, AffinePoint base, EccPoint b,
                       const GroupTable *table) noexcept;

}  // namespace vessa
