// The last two additions of a scalar multiple's chain, with the exact
// stored results of PointAdd, from the canonical multiple before them.
#pragma once

#include "curve/jacobian_point.h"
#include "vessa.h"

namespace vessa {

// PointAdd(PointAdd(C, B), B) for the canonical C = (k - 2)*B, given in
// Jacobian coordinates, and a base B in the fast domain (`b` its stored
// form) on the fixed `curve`. One field inversion for the whole.
EccPoint ChainEnd(const EccCurve &curve, const JacobianPoint &c, AffinePoint base,
                  EccPoint b) noexcept;

}  // namespace vessa
