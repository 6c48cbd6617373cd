// Residues modulo the curve prime held as exact integers in doubles, for the
// vector kernels.
//
// Values are kept of small magnitude, so every product stays below 2^53 and
// is exact; a product is reduced by subtracting the nearest multiple of p.
// The nearest integer to t/p is found by adding and subtracting 1.5 * 2^52,
// which yields an integer in every rounding mode: in the default mode the
// remainder lies in [-p/2, p/2], in a directed mode in (-p - 1, p + 1).
#pragma once

#include <cfloat>

#include "curve/curve_params.h"

namespace vessa::double_residues {

inline constexpr double kPd = static_cast<double>(kCurveP);
inline constexpr double kPinv = 1.0 / kPd;
inline constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52

// The rounding trick needs every double operation rounded to double: not so
// with excess precision (x87) or when the compiler may reassociate.
#if defined(__FAST_MATH__) || !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
inline constexpr bool kExactDoubles = false;
#else
inline constexpr bool kExactDoubles = true;
#endif

}  // namespace vessa::double_residues
