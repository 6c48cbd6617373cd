#include "keytext/key_text_scan.h"

#include <cstdint>
#include <cstring>

#include "support/target_region.h"
#include "support/vector_level.h"

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

bool HasBytePermutes() noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    return __builtin_cpu_supports("avx512vbmi");
#else
    return false;
#endif
}

}  // namespace

KeyTextForm SupportedKeyTextForm() noexcept {
#if defined(__x86_64__) && defined(__GNUC__)
    __builtin_cpu_init();
#endif
    switch (SupportedVectorLevel()) {
        case VectorLevel::kAvx512:
            return HasBytePermutes() ? KeyTextForm::kAvx512Vbmi : KeyTextForm::kAvx512;
        case VectorLevel::kAvx2: return KeyTextForm::kAvx2;
        default: return KeyTextForm::kPortable;
    }
}

KeyTextForm ChosenKeyTextForm() noexcept {
    static const KeyTextForm form = ChosenVectorLevel() == VectorLevel::kPortable
                                        ? KeyTextForm::kPortable
                                        : SupportedKeyTextForm();
    return form;
}

bool ScannedCharsAreHexSymbols(const char *text, KeyTextForm form) noexcept {
    switch (form) {
#if VESSA_HAVE_TARGET_REGIONS
        case KeyTextForm::kAvx512: return avx512::Scan(text);
        case KeyTextForm::kAvx2: return avx2::Scan(text);
#endif
        default: return portable::Scan(text);
    }
}

}  // namespace vessa
