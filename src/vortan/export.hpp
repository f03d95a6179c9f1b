#pragma once

// VORTAN_API marks the functions and classes the shape library exports: visible in a shared
// build (VORTAN_SHARED, defined by the build and by the installed package), empty in a static
// one. GCC and Clang only: other compilers get an empty mark.
#if defined(VORTAN_SHARED) && (defined(__GNUC__) || defined(__clang__))
#define VORTAN_API __attribute__((visibility("default")))
#else
#define VORTAN_API
#endif
