#pragma once

// Marks a hot function to be compiled twice, for baseline x86-64 and for x86-64-v3 (AVX2, FMA,
// VEX encoding); the loader picks the copy the processor runs. Fused multiply-adds round once
// where the baseline copy rounds twice, so results may differ in the last bits. Plain where
// the build already targets a chosen processor or the toolchain lacks load-time selection, and
// where the build defines KINETRA_AVX2_CLONES itself (empty for one baseline copy).
#if defined(__SANITIZE_ADDRESS__)
#define KINETRA_SANITIZED
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KINETRA_SANITIZED
#endif
#endif

#ifndef KINETRA_AVX2_CLONES
#if defined(KINETRA_SANITIZED)
#define KINETRA_AVX2_CLONES
#elif defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__AVX2__)
#define KINETRA_AVX2_CLONES __attribute__((target_clones("default", "arch=x86-64-v3")))
#else
#define KINETRA_AVX2_CLONES
#endif
#endif

// Inlines every call of a hot sweep into it; left out of sanitizer builds, whose instrumented
// code it would multiply.
#ifdef KINETRA_SANITIZED
#define KINETRA_FLATTEN
#else
#define KINETRA_FLATTEN [[gnu::flatten]]
#endif
