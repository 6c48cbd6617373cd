#include "support/stack_wipe.h"

namespace vessa {
namespace {

using Lane128 = long long __attribute__((vector_size(16)));

using WipeFn = void (*)() noexcept;

// The widest stores the processor has.
template <std::size_t kBytes>
WipeFn ChooseWipe() noexcept {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) {
        return &WipeStackBelowAvx512<kBytes>;
    }
    if (__builtin_cpu_supports("avx2")) {
        return &WipeStackBelowAvx2<kBytes>;  // GCOVR_EXCL_LINE: another processor
    }
    return &WipeStackBelowPortable<kBytes>;  // GCOVR_EXCL_LINE: another processor
}

}  // namespace

// None of these routines may save a register on the stack: the caller's
// value of a callee-saved register can be the very secret being cleared
// away, and a saved copy would lie just above the region. Hence the vector
// routines are written in assembly: given 32- or 64-byte vector types, g++
// sets up a frame pointer for a possible realignment and pushes the caller's
// one. Each region is a plain byte array at the stack's own 16-byte alignment.

template <std::size_t kBytes>
void WipeStackBelowPortable() noexcept {
    alignas(16) unsigned char region[kStackWipeBytes];
    // Through a volatile pointer, so that the stores are neither dropped (the
    // array is dead afterwards) nor turned into a call. The region's top end
    // adjoins the caller's frame.
    volatile Lane128 *lanes =
        reinterpret_cast<volatile Lane128 *>(region + kStackWipeBytes - kBytes);
    for (std::size_t i = 0; i < kBytes / sizeof(Lane128); ++i) {
        lanes[i] = Lane128{};
    }
    __asm__ __volatile__("" : : "r"(region) : "memory");
}

// The vector routines store at addresses aligned to the vector's width,
// between one unaligned store at each end of the region: a store that
// straddles two cache lines costs about as much as two.

template <std::size_t kBytes>
void WipeStackBelowAvx2() noexcept {
    alignas(16) unsigned char region[kStackWipeBytes];
    unsigned char *at = region + kStackWipeBytes - kBytes;
    unsigned char *end = region + kStackWipeBytes;
    __asm__ __volatile__(
        "vpxor %%xmm0, %%xmm0, %%xmm0\n\t"
        "vmovdqu %%ymm0, (%[at])\n\t"
        "vmovdqu %%ymm0, -32(%[end])\n\t"
        "add $32, %[at]\n\t"
        "and $-32, %[at]\n\t"
        "and $-32, %[end]\n\t"
        "1:\n\t"
        "vmovdqa %%ymm0, (%[at])\n\t"
        "add $32, %[at]\n\t"
        "cmp %[end], %[at]\n\t"
        "jb 1b\n\t"
        "vzeroupper"
        : [at] "+r"(at), [end] "+r"(end)
        :
        : "xmm0", "memory", "cc");
}

template <std::size_t kBytes>
void WipeStackBelowAvx512() noexcept {
    alignas(16) unsigned char region[kStackWipeBytes];
    unsigned char *at = region + kStackWipeBytes - kBytes;
    unsigned char *end = region + kStackWipeBytes;
    __asm__ __volatile__(
        "vpxor %%xmm0, %%xmm0, %%xmm0\n\t"
        "vmovdqu64 %%zmm0, (%[at])\n\t"
        "vmovdqu64 %%zmm0, -64(%[end])\n\t"
        "add $64, %[at]\n\t"
        "and $-64, %[at]\n\t"
        "and $-64, %[end]\n\t"
        "1:\n\t"
        "vmovdqa64 %%zmm0, (%[at])\n\t"
        "add $64, %[at]\n\t"
        "cmp %[end], %[at]\n\t"
        "jb 1b\n\t"
        "vzeroupper"
        : [at] "+r"(at), [end] "+r"(end)
        :
        : "xmm0", "memory", "cc");
}

template void WipeStackBelowPortable<kStackWipeBytes>() noexcept;
template void WipeStackBelowAvx2<kStackWipeBytes>() noexcept;
template void WipeStackBelowAvx512<kStackWipeBytes>() noexcept;
#if defined(__OPTIMIZE__)  // else the two regions are one (see the header)
template void WipeStackBelowPortable<kSecretCallWipeBytes>() noexcept;
template void WipeStackBelowAvx2<kSecretCallWipeBytes>() noexcept;
template void WipeStackBelowAvx512<kSecretCallWipeBytes>() noexcept;
#endif

// Tail calls: the chosen routine's frame starts where these ones' would.
void WipeStackBelow() noexcept {
    static const WipeFn chosen = ChooseWipe<kStackWipeBytes>();
    chosen();
}

void WipeSecretCallStack() noexcept {
    static const WipeFn chosen = ChooseWipe<kSecretCallWipeBytes>();
    chosen();
}

}  // namespace vessa
