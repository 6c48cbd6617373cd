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

#if VESSA_HAVE_TARGET_REGIONS
VESSA_TARGET_AVX512
namespace avx512 {
#define VESSA_VECTOR_BYTES 64
#include "random/chacha20_blocks_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx512
VESSA_TARGET_END

VESSA_TARGET_AVX2
namespace avx2 {
#define VESSA_VECTOR_BYTES 32
#include "random/chacha20_blocks_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace avx2
VESSA_TARGET_END
#endif

namespace portable {
#define VESSA_VECTOR_BYTES 16
#include "random/chacha20_blocks_kernel.inc"
#undef VESSA_VECTOR_BYTES
}  // namespace portable

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
