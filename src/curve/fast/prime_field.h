// Arithmetic modulo the curve prime on canonical residues [0, p).
//
// p < 2^17, so the product of two residues (or of small sums of them) fits
// in 64 bits with room to spare, and the remainder by the constant modulus
// compiles to a multiply and a shift. Everything is constexpr so that tables
// of points can be computed at compile time.
#pragma once

#include <cstdint>

#include "curve/curve_params.h"

namespace vessa::field {

using Element = uint64_t;  // a residue in [0, kP)

inline constexpr Element kP = static_cast<uint64_t>(kCurveP);

constexpr Element Reduce(uint64_t v) noexcept { return v % kP; }

constexpr Element Add(Element a, Element b) noexcept {
    const uint64_t s = a + b;
    return s >= kP ? s - kP : s;
}

constexpr Element Sub(Element a, Element b) noexcept { return a >= b ? a - b : a + kP - b; }

constexpr Element Neg(Element a) noexcept { return a == 0 ? 0 : kP - a; }

constexpr Element Mul(Element a, Element b) noexcept { return (a * b) % kP; }

constexpr Element Square(Element a) noexcept { return (a * a) % kP; }

// a^(p-2), the inverse of a non-zero residue; 0 for 0.
constexpr Element Inverse(Element a) noexcept {
    Element result = 1;
    Element base = a;
    for (uint64_t e = kP - 2; e != 0; e >>= 1) {
        if ((e & 1U) != 0) {
            result = Mul(result, base);
        }
        base = Square(base);
    }
    return result;
}

// The right-hand side x^3 + x + 1 of the curve equation.
constexpr Element CurveRhs(Element x) noexcept {
    return Add(Mul(Square(x), x), Add(Mul(Reduce(static_cast<uint64_t>(kCurveA)), x),
                                      Reduce(static_cast<uint64_t>(kCurveB))));
}

}  // namespace vessa::field
