#pragma once

// KINETRA_API marks the functions and classes the kinetra libraries export. The libraries are
// compiled with hidden visibility: in a shared build (KINETRA_SHARED, defined for the libraries
// and their users by the build and by the installed package) the marked names stay visible; in
// a static build the mark is empty. GCC and Clang only: other compilers get an empty mark.
#if defined(KINETRA_SHARED) && (defined(__GNUC__) || defined(__clang__))
#define KINETRA_API __attribute__((visibility("default")))
#else
#define KINETRA_API
#endif
