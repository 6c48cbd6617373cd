// Point addition and scalar multiplication on an EccCurve.
//
// These are defined by their literal steps, not by group theory: operands are
// never reduced before use, equality tests compare stored integers, and a
// scalar multiple is the result of k - 1 successive additions. Every caller
// relies on those exact results (coordinates stored as p included).
#pragma once

#include <cstdint>

#include "vessa.h"

namespace vessa {

inline constexpr EccPoint kInfinity{-1, -1};

constexpr bool IsInfinity(const EccPoint &p) noexcept { return p.x == -1 || p.y == -1; }

// P + Q. Reads curve.a and curve.p only. Any operand with a coordinate of -1
// is the point at infinity; equal x with different y gives (-1, -1).
EccPoint PointAdd(const EccCurve &curve, EccPoint p, EccPoint q) noexcept;

// k*B by the literal chain: k > n is first replaced by k rem n (k == n is
// not reduced), k < 2 returns B unchanged, otherwise k - 1 additions of B.
// The library's reference arithmetic: the oracle the fast path is tested
// against, and its fallback for every input it does not cover.
EccPoint ScalarMultiplyReference(const EccCurve &curve, int64_t k, EccPoint b) noexcept;

// k*B with exactly the results of ScalarMultiplyReference for every input.
EccPoint ScalarMultiply(const EccCurve &curve, int64_t k, EccPoint b) noexcept;

}  // namespace vessa
