// The canonical group multiple m*B of a curve point: the group law with
// coordinates in [0, p), in logarithmic time. This is not the library's
// ScalarMultiply (whose results are those of the literal chain of
// additions); ScalarMultiply builds on it where the two provably agree.
#pragma once

#include <cstdint>

#include "curve/fast/jacobian_point.h"

namespace vessa {

// m*B in Jacobian coordinates, for any m (it is reduced modulo the group
// order, which every point's order divides). B == G uses a fixed-base table.
JacobianPoint CanonicalMultiple(uint64_t m, AffinePoint b) noexcept;

// m*G by the fixed-base table, for m < 2^18.
JacobianPoint CanonicalBaseMultiple(uint64_t m) noexcept;

// m*B by signed-digit double-and-add, for any B and m < 2^62.
JacobianPoint CanonicalPointMultiple(uint64_t m, AffinePoint b) noexcept;

}  // namespace vessa
