#include "keytext/key_text_scan.h"

#include <cstdint>
#include <cstring>

#include "support/target_region.h"

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace vessa {
namespace {

#if VESSA_HAVE_TARGET_REGIONS
VESSA_TARGET_AVX512
namespace avx512 {
#define VESSA_VECTOR_BYTES 64
#include "keytext/key_text_scan_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx512
VESSA_TARGET_END

VESSA_TARGET_AVX2
namespace avx2 {
#define VESSA_VECTOR_BYTES 32
#include "keytext/key_text_scan_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx2
VESSA_TARGET_END
#endif

namespace portable {
#define VESSA_VECTOR_BYTES 16
#include "keytext/key_text_scan_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace portable

}  // namespace

bool ScannedCharsAreHexSymbols(const char *text, VectorLevel level) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: return avx512::Scan(text);
        case VectorLevel::kAvx2: return avx2::Scan(text);
#endif
        default: return portable::Scan(text);
    }
}

}  // namespace vessa
