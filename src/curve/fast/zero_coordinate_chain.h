// The literal chain of a base point with a coordinate stored as 0 or p,
// without walking it: the group law of the base's own curve between the
// few points where the chain leaves it, literal additions at those points,
// and the period of the chain once a stored point recurs (the proof is in
// fast_path_domain.h).
#pragma once

#include <cstdint>

#include "curve/fast/jacobian_point.h"
#include "vessa.h"

namespace vessa {

// A base with both coordinates in [0, p] and at least one of them 0 or p,
// with what its chain needs computed once.
struct ZeroCoordinateBase {
    EccPoint stored;     // as given
    AffinePoint base;    // its residues
    uint64_t order = 0;  // of `base` on y^2 = x^3 + x + b' for its own b'
    EccPoint twice{};    // the chain's second point
};

// The order of `b` on its own curve (the smallest m >= 1 with m*b the point
// at infinity); by Hasse's bound the curve has p + 1 +- 2 sqrt(p) points.
uint64_t OrderOnOwnCurve(AffinePoint b) noexcept;

// True, with `out` set, for such a base on the fixed curve.
bool ToZeroCoordinateBase(const EccCurve &curve, EccPoint b, ZeroCoordinateBase &out) noexcept;

// ScalarMultiply's result for 2 <= k (already reduced by the curve's n).
EccPoint ZeroCoordinateMultiple(const EccCurve &curve, const ZeroCoordinateBase &b,
                                uint64_t k) noexcept;

}  // namespace vessa
