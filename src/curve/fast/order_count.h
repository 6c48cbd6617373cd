// The order count of ecc_new, made fast: the literal loop's count for a
// base point in the fast domain (see fast_path_domain.h).
//
// The literal loop steps R <- R + G from 2G and stops at the first point
// whose x is -1. For a base point in the fast domain the chain's points are
// congruent to the group multiples and -1 appears exactly at the point at
// infinity, so the count is the first i >= 2 with i*G at infinity. This
// count is found by the same walk, every point from 2G on reached by one
// addition of G and tested, but in independent segments stepped side by
// side, in affine coordinates with the divisions of one step of many
// segments made by one inversion. Eight starts are computed in logarithmic
// time, the others by the same batched affine additions, doubling the
// number of starts each time.
#pragma once

#include <cstdint>

#include "curve/fast/jacobian_point.h"
#include "support/vector_level.h"

namespace vessa {

// The count of the literal loop for base point `g` (on the fixed curve),
// with the segment stepping of the form of `level`.
int64_t CountOrderBySegments(AffinePoint g, VectorLevel level) noexcept;

inline int64_t CountOrderBySegments(AffinePoint g) noexcept {
    return CountOrderBySegments(g, ChosenVectorLevel());
}

// The same count by one chain of canonical additions (where the segments'
// floating-point arithmetic cannot be trusted to round exactly, and as a
// cross-check in tests).
int64_t CountOrderSequentially(AffinePoint g) noexcept;

// The segments every form steps side by side.
inline constexpr int64_t kOrderCountSegments = 1152;

}  // namespace vessa
