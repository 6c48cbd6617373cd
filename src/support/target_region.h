// Regions of code compiled for a given instruction-set extension.
//
// A kernel is written once, in a file of its own ending in .inc, and
// included in several namespaces, each between a VESSA_TARGET_* line and
// VESSA_TARGET_END: every function of the region, helpers included, is then
// compiled for that extension. (A target attribute on the kernel's entry
// point alone is not enough: GCC lowers the vector operations of a helper
// for the helper's own target, before inlining it.) The dispatcher calls the
// form the processor supports (see vector_level.h).
#pragma once

#if defined(__x86_64__) && defined(__clang__)
#define VESSA_HAVE_TARGET_REGIONS 1
#define VESSA_TARGET_AVX512                                                                  \
    _Pragma("clang attribute push (__attribute__((target(\"avx512f,avx512bw,avx512dq,avx512vl,bmi,bmi2\"))), \
apply_to = function)")
#define VESSA_TARGET_AVX512_VBMI                                                         \
    _Pragma("clang attribute push (__attribute__((target(\"avx512f,avx512bw,avx512dq,\
avx512vbmi\"))), apply_to = function)")
#define VESSA_TARGET_AVX2 \
    _Pragma("clang attribute push (__attribute__((target(\"avx2,fma\"))), apply_to = function)")
#define VESSA_TARGET_END _Pragma("clang attribute pop")
#elif defined(__x86_64__) && defined(__GNUC__)
#define VESSA_HAVE_TARGET_REGIONS 1
#define VESSA_TARGET_AVX512 \
    _Pragma("GCC push_options") _Pragma("GCC target(\"avx512f,avx512bw,avx512dq,avx512vl,bmi,bmi2\")")
#define VESSA_TARGET_AVX512_VBMI \
    _Pragma("GCC push_options") _Pragma("GCC target(\"avx512f,avx512bw,avx512dq,avx512vbmi\")")
#define VESSA_TARGET_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2,fma\")")
#define VESSA_TARGET_END _Pragma("GCC pop_options")
#else
#define VESSA_HAVE_TARGET_REGIONS 0
#endif
