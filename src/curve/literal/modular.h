// Modular reduction and inversion on signed 64-bit integers, exactly as the
// curve arithmetic defines them (not the textbook versions: see each note).
#pragma once

#include <cstdint>

namespace vessa {

// v reduced modulo m. For v >= 0 the result is |v| rem m in [0, m - 1]; for
// v < 0 it is m - (|v| rem m), in [1, m]: a negative multiple of m gives m,
// not 0. This is why an x-coordinate congruent to 0 can be stored as p.
// (INT64_MIN keeps a negative magnitude, and its result exceeds m.)
// Guards: m = 0, and m = -1 with |v| = INT64_MIN, stop the process.
int64_t ModReduce(int64_t v, int64_t m) noexcept;

struct GcdResult {
    int64_t d;  // a greatest common divisor, possibly negative
    int64_t s;  // u * s + w * t == d (with wrap-around)
    int64_t t;
};

// The recursive extended Euclid, with truncating division. The guard
// u = INT64_MIN with w = -1 stops the process.
GcdResult ExtendedGcd(int64_t u, int64_t w) noexcept;

// The second component of ExtendedGcd(v, m), lifted by m while negative.
// The gcd is not checked: a multiple of m (0 included) yields 0. This is the
// literal reference definition.
int64_t ModInverseReference(int64_t v, int64_t m) noexcept;

// Same results as ModInverseReference for every argument; fast for the
// arguments the fixed curve produces.
int64_t ModInverse(int64_t v, int64_t m) noexcept;

}  // namespace vessa
