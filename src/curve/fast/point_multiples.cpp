#include "curve/fast/point_multiples.h"

#include "curve/dispatch/arithmetic_mode.h"
#include "curve/fast/chain_multiple.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/literal/guarded_division.h"
#include "curve/literal/point_arith.h"

namespace vessa {

PointMultiples::PointMultiples(const EccCurve &curve, EccPoint b) noexcept
    : curve_(curve), b_(b) {
    fast_ = !ReferenceArithmeticForced() && ToFastBase(curve, b, base_);
    if (fast_) {
        table_ = ReadyGroupTable();
    }
}

EccPoint PointMultiples::Times(int64_t k) const noexcept {
    if (!fast_) {
        return ScalarMultiply(curve_, k, b_);
    }
    if (k > curve_.n) {
        k = GuardedRem(k, curve_.n);
    }
    if (k < 2) {
        return b_;
    }
    return ChainMultiple(curve_, static_cast<uint64_t>(k), base_, b_, table_);
}

}  // namespace vessa
