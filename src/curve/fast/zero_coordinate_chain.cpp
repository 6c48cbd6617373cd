#include "curve/fast/zero_coordinate_chain.h"

#include <cstddef>

#include "curve/fast/canonical_multiple.h"
#include "curve/fast/fast_path_domain.h"
#include "curve/literal/point_arith.h"

namespace vessa {
namespace {

constexpr uint64_t kHasseWidth = 633;  // above 2 sqrt(p)
constexpr uint64_t kOffLaw = ~uint64_t{0};
// Distinct points at which the chain leaves the group law: at most five
// (the four stored forms of +-B and the point at infinity, or B and one
// point off its curve when y = 0), so a point recurs by the sixth.
constexpr std::size_t kMaxVisits = 16;

EccPoint Stored(AffinePoint a) noexcept {
    return {static_cast<int64_t>(a.x), static_cast<int64_t>(a.y)};
}

AffinePoint Residues(EccPoint r) noexcept {
    return {static_cast<uint64_t>(r.x) % field::kP, static_cast<uint64_t>(r.y) % field::kP};
}

bool Equal(AffinePoint a, AffinePoint b) noexcept { return a.x == b.x && a.y == b.y; }

// label * B, for 2 <= label < order - 1 (its x is not 0 and it is finite).
AffinePoint Regular(uint64_t label, AffinePoint base) noexcept {
    return ToAffine(CanonicalPointMultiple(label, base));
}

// The label of `next`, the chain's point after a literal step from a point
// labelled `previous`: the c with next = c*B modulo p, or kOffLaw.
uint64_t Label(EccPoint next, uint64_t previous, const ZeroCoordinateBase &b) noexcept {
    if (IsInfinity(next)) {
        return 0;
    }
    const AffinePoint residues = Residues(next);
    if (Equal(residues, b.base)) {
        return 1;
    }
    if (Equal(residues, Negate(b.base))) {
        return b.order - 1;
    }
    if (previous != kOffLaw) {
        const uint64_t expected = (previous + 1) % b.order;
        if (expected != 0) {
            const JacobianPoint multiple = CanonicalPointMultiple(expected, b.base);
            if (multiple.z != 0 && Equal(residues, ToAffine(multiple))) {
                return expected;
            }
        }
    }
    return kOffLaw;
}

}  // namespace

uint64_t OrderOnOwnCurve(AffinePoint b) noexcept {
    using namespace field;
    if (b.y == 0) {
        return 2;
    }
    // Baby steps j*b for 1 <= j <= kBaby; an order that small is found here.
    constexpr uint64_t kBaby = 36;  // (2 kBaby + 1) kBaby > 2 kHasseWidth
    JacobianPoint baby[kBaby + 1];
    Element baby_zz[kBaby + 1];
    baby[1] = ToJacobian(b);
    for (uint64_t j = 1; j <= kBaby; ++j) {
        if (j > 1) {
            baby[j] = AddMixed(baby[j - 1], b);
        }
        if (baby[j].z == 0) {
            return j;
        }
        baby_zz[j] = Square(baby[j].z);
    }
    // Giant steps m*b for m = low + kBaby + i (2 kBaby + 1): m*b = +-j*b
    // puts m -+ j, one of the 2 kBaby + 1 values around m, at infinity. The
    // group's order lies in [low, low + 2 kHasseWidth], so one is found.
    const uint64_t low = kP + 1 - kHasseWidth;
    const JacobianPoint stride_point = CanonicalPointMultiple(2 * kBaby + 1, b);
    if (stride_point.z == 0) {
        return 2 * kBaby + 1;  // a prime, and the order is above kBaby
    }
    const AffinePoint stride = ToAffine(stride_point);
    uint64_t m = low + kBaby;
    JacobianPoint giant = CanonicalPointMultiple(m, b);
    uint64_t found = 0;
    while (found == 0) {
        if (m > low + 2 * kHasseWidth + 2 * kBaby + 1) {
            return 0;  // GCOVR_EXCL_LINE: Hasse's bound rules it out
        }
        if (giant.z == 0) {
            found = m;
            break;
        }
        const Element zz = Square(giant.z);
        for (uint64_t j = 1; j <= kBaby && found == 0; ++j) {
            if (Mul(giant.x, baby_zz[j]) == Mul(baby[j].x, zz)) {
                const bool same = Mul(giant.y, Mul(baby_zz[j], baby[j].z)) ==
                                  Mul(baby[j].y, Mul(zz, giant.z));
                found = same ? m - j : m + j;
            }
        }
        giant = AddMixed(giant, stride);
        m += 2 * kBaby + 1;
    }
    m = found;
    // m*b is the point at infinity: divide out each prime the order lacks.
    uint64_t rest = m;
    for (uint64_t q = 2; rest > 1; ++q) {
        if (q * q > rest) {
            q = rest;
        }
        if (rest % q != 0) {
            continue;
        }
        while (rest % q == 0) {
            rest /= q;
        }
        while (m % q == 0 && CanonicalPointMultiple(m / q, b).z == 0) {
            m /= q;
        }
    }
    return m;
}

bool ToZeroCoordinateBase(const EccCurve &curve, EccPoint b, ZeroCoordinateBase &out) noexcept {
    const auto edge = [](int64_t v) { return v == 0 || v == kCurveP; };
    if (!IsFixedCurve(curve) || b.x < 0 || b.x > kCurveP || b.y < 0 || b.y > kCurveP ||
        !(edge(b.x) || edge(b.y))) {
        return false;
    }
    out.stored = b;
    out.base = Residues(b);
    out.order = OrderOnOwnCurve(out.base);
    out.twice = PointAdd(curve, b, b);
    return out.order != 0;
}

EccPoint ZeroCoordinateMultiple(const EccCurve &curve, const ZeroCoordinateBase &b,
                                uint64_t k) noexcept {
    const uint64_t order = b.order;
    if (order == 2) {
        // y = 0: B for odd k, B + B (B again when x is 0 too) for even k.
        return (k & 1U) != 0 ? b.stored : b.twice;
    }
    struct Visit {
        uint64_t j;
        EccPoint r;
    };
    Visit visits[kMaxVisits];
    std::size_t visited = 0;
    bool periodic = false;
    uint64_t j = 1;
    EccPoint r = b.stored;
    uint64_t label = 1;
    while (j < k) {
        if (label != kOffLaw && label >= 2 && label < order - 1) {
            // On the group law up to label order - 1, whose x is B's.
            const uint64_t to_event = order - 1 - label;
            if (k - j < to_event) {
                const uint64_t target = label + (k - j);
                const AffinePoint q = Regular(target, b.base);
                if (q.y != 0) {
                    return Stored(q);
                }
                // The one point of order 2 (stored y 0 or p): one step from
                // the point before it, whose y is not 0.
                const EccPoint before = target - 1 == label ? r : Stored(Regular(target - 1, b.base));
                return PointAdd(curve, before, b.stored);
            }
            uint64_t land = order - 2;
            AffinePoint q{};
            if (land > label) {
                q = Regular(land, b.base);
                if (q.y == 0 && --land > label) {
                    q = Regular(land, b.base);
                }
            }
            if (land > label) {
                r = Stored(q);
                j += land - label;
                label = land;
            }
            while (label != order - 1) {
                r = PointAdd(curve, r, b.stored);
                ++j;
                ++label;
            }
            continue;
        }
        if (!periodic) {
            for (std::size_t i = 0; i < visited && !periodic; ++i) {
                if (visits[i].r.x == r.x && visits[i].r.y == r.y) {
                    k = j + (k - j) % (j - visits[i].j);
                    periodic = true;
                }
            }
            if (!periodic) {
                if (visited == kMaxVisits) {
                    break;  // GCOVR_EXCL_LINE: ruled out (see above)
                }
                visits[visited++] = {j, r};
            }
            if (j == k) {
                break;
            }
        }
        const EccPoint next = PointAdd(curve, r, b.stored);
        label = Label(next, label, b);
        r = next;
        ++j;
    }
    for (; j < k; ++j) {  // only after the bound on visits
        r = PointAdd(curve, r, b.stored);
    }
    return r;
}

}  // namespace vessa
