// Uniform integers from a half-open range, without bias.
#pragma once

#include <concepts>
#include <cstdint>
#include <type_traits>

#include "support/fatal.h"

namespace vessa {

inline constexpr const char kEmptyRange[] = "UniformSampler::sample_single: low >= high";

// Any source of 32-bit words: ThreadRng, ChaChaRng, or a test double.
template <typename Source>
concept WordSource = requires(Source &s) {
    { s.NextU32() } -> std::same_as<uint32_t>;
};

namespace detail {

// low + (word mod range) for the first two-word draw not below 2^64 mod
// range: drawing below it would over-represent the low residues.
template <WordSource Source, typename Range>
int64_t DrawBelow(Source &source, int64_t low, Range range) noexcept {
    const uint64_t reject_below = (0U - static_cast<uint64_t>(range)) % range;
    for (;;) {
        const uint64_t lo = source.NextU32();
        const uint64_t hi = source.NextU32();
        const uint64_t word = lo | (hi << 32);
        if (word >= reject_below) {
            return static_cast<int64_t>(static_cast<uint64_t>(low) + word % range);
        }
    }
}

template <uint64_t kRange, WordSource Source>
int64_t DrawBelow(Source &source, int64_t low) noexcept {
    return DrawBelow(source, low, std::integral_constant<uint64_t, kRange>{});
}

}  // namespace detail

// r with low <= r < high, each value equally likely. Each attempt takes two
// words, the earlier one as the low half; attempts that would favour some
// values are discarded. low >= high stops the process.
template <WordSource Source>
int64_t RandomRange(Source &source, int64_t low, int64_t high) noexcept {
    if (low >= high) {
        Fatal(kEmptyRange);  // GCOVR_EXCL_LINE: stops the process
    }
    const uint64_t range = static_cast<uint64_t>(high) - static_cast<uint64_t>(low);
    // The ranges of the library's own draws on its curve (n = 99919): scalars
    // from [n/7, n) and nonces from [1, n). A constant divisor compiles to a
    // multiplication; the result is the same.
    if (range == 85645) {
        return detail::DrawBelow<85645>(source, low);
    }
    if (range == 99918) {
        return detail::DrawBelow<99918>(source, low);
    }
    return detail::DrawBelow(source, low, range);
}

// The unsigned 8-bit form: one word per attempt.
template <WordSource Source>
uint8_t RandomRange(Source &source, uint8_t low, uint8_t high) noexcept {
    if (low >= high) {
        Fatal(kEmptyRange);  // GCOVR_EXCL_LINE: stops the process
    }
    const uint32_t range = static_cast<uint32_t>(high - low);
    const uint32_t reject_below = (0U - range) % range;
    for (;;) {
        const uint32_t word = source.NextU32();
        if (word >= reject_below) {
            return static_cast<uint8_t>(low + word % range);
        }
    }
}

}  // namespace vessa
