// Signed 64-bit two's-complement arithmetic that wraps modulo 2^64.
//
// The library's results are defined by wrap-around arithmetic, but signed
// overflow is undefined behaviour in C++. Every sum, difference, product and
// magnitude that may overflow therefore goes through these helpers, which
// compute in uint64_t (where wrap-around is defined) and convert back (a
// modular conversion since C++20).
#pragma once

#include <cstdint>

namespace vessa {

constexpr int64_t WrappingAdd(int64_t a, int64_t b) noexcept {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

constexpr int64_t WrappingSub(int64_t a, int64_t b) noexcept {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

constexpr int64_t WrappingMul(int64_t a, int64_t b) noexcept {
    return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

constexpr int64_t WrappingNeg(int64_t a) noexcept {
    return static_cast<int64_t>(0U - static_cast<uint64_t>(a));
}

// |a| with wrap-around: the magnitude of INT64_MIN is INT64_MIN itself.
constexpr int64_t WrappingAbs(int64_t a) noexcept { return a < 0 ? WrappingNeg(a) : a; }

// 32-bit counterparts, for the signature challenge.
constexpr int32_t WrappingNeg32(int32_t a) noexcept {
    return static_cast<int32_t>(0U - static_cast<uint32_t>(a));
}

constexpr int32_t WrappingAbs32(int32_t a) noexcept { return a < 0 ? WrappingNeg32(a) : a; }

}  // namespace vessa
