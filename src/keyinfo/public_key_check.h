// Whether a public point is one the library's own arithmetic could store.
#pragma once

#include "vessa.h"

namespace vessa {

// True when q is a point of the curve y^2 = x^3 + a*x + b (mod p) in the
// stored form: 0 <= x <= p, since ModReduce stores an x congruent to 0 as
// either 0 or p, and 0 <= y < p. The point at infinity, (-1, -1) or any
// point with a coordinate of -1, is outside these ranges and so refused.
// A private key text read as a point gives a y of eight filler bytes, none of
// them zero: negative or at least 2^56, so it is refused too.
bool IsStoredCurvePoint(const EccCurve &curve, EccPoint q) noexcept;

}  // namespace vessa
