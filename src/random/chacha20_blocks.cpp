#include "random/chacha20_blocks.h"

#include "support/secure_wipe.h"
#include "support/target_region.h"

// Vectors cross no real call boundary, so the note about their calling
// convention is moot.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace vessa {
namespace {

#define VESSA_KERNEL_FILE "random/chacha20_blocks_kernel.inc"
#include "support/vector_forms.inc"
#undef VESSA_KERNEL_FILE

}  // namespace

void ChaCha20Blocks(const ChaChaKey &key, uint32_t counter, const ChaChaNonce &nonce,
                    uint32_t *out, VectorLevel level) noexcept {
    switch (level) {
#if VESSA_HAVE_TARGET_REGIONS
        case VectorLevel::kAvx512: avx512::Blocks(key, counter, nonce, out); break;
        case VectorLevel::kAvx2: avx2::Blocks(key, counter, nonce, out); break;
#endif
        default: portable::Blocks(key, counter, nonce, out); break;
    }
}

}  // namespace vessa
