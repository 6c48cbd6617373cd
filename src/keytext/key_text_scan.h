// The check of a key text's body in vector lanes: every character of its 85
// full base64 groups is a symbol, and every character those groups decode
// to is a hexadecimal digit.
#pragma once

#include <cstddef>

#include "support/vector_level.h"

namespace vessa {

// Characters the vector check covers: the 85 full groups of four.
inline constexpr std::size_t kScannedKeyTextChars = 340;

// True when text[0, kScannedKeyTextChars) (all of which must be readable)
// passes the check. Uses the kernel of `level`.
bool ScannedCharsAreHexSymbols(const char *text, VectorLevel level) noexcept;

inline bool ScannedCharsAreHexSymbols(const char *text) noexcept {
    return ScannedCharsAreHexSymbols(text, ChosenVectorLevel());
}

}  // namespace vessa
