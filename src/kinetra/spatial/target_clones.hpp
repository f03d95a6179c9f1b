#pragma once

// Marks a hot function to be compiled twice, for baseline x86-64 and for x86-64-v3 (AVX2, BMI2,
// VEX encoding); the loader picks the copy the processor runs. The arithmetic is the same in
// both (no contraction into fused multiply-adds), so both give the same results. Plain where
// the build already targets a chosen processor or the toolchain lacks load-time selection.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__AVX2__)
#define KINETRA_AVX2_CLONES __attribute__((target_clones("default", "arch=x86-64-v3")))
#else
#define KINETRA_AVX2_CLONES
#endif
