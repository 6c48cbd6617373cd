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

#define VESSA_KERNEL_FILE "keytext/key_text_scan_kernel.inc"
#include "support/vector_forms.inc"
#undef VESSA_KERNEL_FILE

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
