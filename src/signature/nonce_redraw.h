// When a freshly made signature would not verify, and the nonce is drawn again.
//
// Verification recomputes the nonce point as s*G + e*Q with the library's
// literal arithmetic, which departs from the group law in a few places:
// ScalarMultiply returns its point unchanged for a scalar below 2 and for a
// multiple of n above n (instead of the point at infinity), and a point whose
// x is congruent to 0 may be stored with x = 0 or x = p, which changes its
// PointBytes and, when two such points meet in PointAdd, the sum itself.
#pragma once

#include <array>
#include <cstdint>

#include "vessa.h"

namespace vessa {

// The scalars k in [1, n) for which ScalarMultiply(k, G) has x = 0 on the
// library's curve: the points (0, 99990) and (0, 1).
inline constexpr std::array<int64_t, 2> kScalarsWithZeroX{30293, 69626};

// True when the signature (s, e) made with nonce point r may fail to verify
// under the public key d*G of a generated private key d (14274 <= d < n), so
// that the nonce must be drawn again:
//  - e is 0 or -2147483648, or e > n is a multiple of n: e*Q comes back as Q;
//  - s rem n is 0: s*G comes back as G;
//  - s rem n is one of kScalarsWithZeroX: s*G has x congruent to 0, and when
//    e*Q is the same point stored with the other x, PointAdd takes the
//    general slope instead of doubling;
//  - r.x is congruent to 0 modulo p: the verifier's sum may store it as p.
// For such keys every signature for which this is false verifies.
bool NeedsNonceRedraw(const EccCurve &curve, EccPoint r, int32_t s, int32_t e) noexcept;

}  // namespace vessa
