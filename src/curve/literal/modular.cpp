#include "curve/literal/modular.h"

#include <limits>

#include "curve/literal/guarded_division.h"
#include "curve/literal/int64_arith.h"
#include "support/fatal.h"

namespace vessa {

int64_t ModReduce(int64_t v, int64_t m) noexcept {
    const int64_t r = GuardedRem(WrappingAbs(v), m);
    return v >= 0 ? r : WrappingSub(m, r);
}

GcdResult ExtendedGcd(int64_t u, int64_t w) noexcept {
    if (w == 0) {
        return {u, 1, 0};
    }
    if (u == std::numeric_limits<int64_t>::min() && w == -1) {
        Fatal(kRemainderOverflow);  // GCOVR_EXCL_LINE: stops the process
    }
    const int64_t q = u / w;
    const int64_t r = WrappingSub(u, WrappingMul(q, w));
    const GcdResult inner = ExtendedGcd(w, r);
    return {inner.d, inner.t, WrappingSub(inner.s, WrappingMul(q, inner.t))};
}

int64_t ModInverseReference(int64_t v, int64_t m) noexcept {
    int64_t s = ExtendedGcd(v, m).s;
    if (s < 0 && m > 0) {
        // The loop "while s < 0: s += m" in closed form: add m exactly
        // ceil(-s / m) times. The true result lies in [0, m - 1], so the
        // wrapped sum is exact.
        const int64_t times = (-(s + 1)) / m + 1;
        s = WrappingAdd(s, WrappingMul(times, m));
    }
    while (s < 0) {
        // Only reached for m <= 0 (a hand-made curve): literal steps.
        s = WrappingAdd(s, m);
    }
    return s;
}

}  // namespace vessa
