// One scalar times many points, side by side in vector lanes.
//
// Decryption multiplies every entry's point by the same private scalar, so
// every point follows one schedule of doublings and additions. The lanes
// run the textbook group law in Jacobian coordinates; the formulas never
// read the curve's constant term, so the points need not share a curve
// (see fast_path_domain.h). A lane that meets a case the general formulas
// do not cover (the point at infinity, or an addition of equal or opposite
// points) is reported, to be computed on its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "curve/fast/jacobian_point.h"
#include "support/vector_level.h"

namespace vessa {

inline constexpr size_t kLaneBatch = 32;            // points per call at most
inline constexpr int64_t kLaneNotComputed = -1;    // the lane's result is left to the caller
inline constexpr uint64_t kLaneScalarLimit = uint64_t{1} << 40;

// xs[i] = the canonical x of m*points[i] in [0, p), or kLaneNotComputed,
// for 2 <= m < kLaneScalarLimit and count <= kLaneBatch points with
// coordinates in [0, p). Uses the kernel of `level`.
void LaneMultipleXs(uint64_t m, const AffinePoint *points, size_t count, int64_t *xs,
                    VectorLevel level) noexcept;

// The same with the chosen level (see vector_level.h).
inline void LaneMultipleXs(uint64_t m, const AffinePoint *points, size_t count,
                           int64_t *xs) noexcept {
    LaneMultipleXs(m, points, count, xs, ChosenVectorLevel());
}

}  // namespace vessa
