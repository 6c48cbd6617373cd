// The check of a key text's symbols, in forms chosen at run time: every
// symbol is one of base64, and every character the symbols decode to is a
// hexadecimal digit.
//
// The library's vector forms (portable, AVX2, AVX-512) check the 85 full
// groups in vector lanes and leave the last symbols and the decoding of the
// key bytes to scalar code. Where AVX-512 permutes bytes (VBMI), one more
// form checks and decodes everything in 64-byte vectors.
#pragma once

#include <cstddef>

#include "keytext/key_block.h"

namespace vessa {

enum class KeyTextForm { kPortable, kAvx2, kAvx512, kAvx512Vbmi };

// The best form the processor has, whatever the environment says.
KeyTextForm SupportedKeyTextForm() noexcept;

// The form the readers use: the portable one under VESSA_FORCE_PORTABLE
// (see support/vector_level.h), the supported one otherwise.
KeyTextForm ChosenKeyTextForm() noexcept;

// The symbols of a text: 85 groups of four and a last group of two.
inline constexpr std::size_t kKeyTextSymbols = 85 * 4 + 2;

// Characters the vector check of the first three forms covers: the 85 full
// groups of four.
inline constexpr std::size_t kScannedKeyTextChars = 340;

// True when text[0, kScannedKeyTextChars) (all of which must be readable)
// passes the check. Uses the kernel of `form`, one of the first three.
bool ScannedCharsAreHexSymbols(const char *text, KeyTextForm form) noexcept;

// The whole reading of the symbols text[0, kKeyTextSymbols), all of which
// must be readable, in the kAvx512Vbmi form (on processors that have it
// only): true when every symbol passes the check and the four unused bits of
// the last one are zero; `window` gets the block's key bytes either way.
bool ReadKeyWindowSymbolsVbmi(const char *text, KeyWindow &window) noexcept;

}  // namespace vessa
