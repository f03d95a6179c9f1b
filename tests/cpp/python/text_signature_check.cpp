// Compiled by ctest, never linked: a binding whose text signature names more parameters than
// its C++ function must not compile. KINETRA_MISMATCH selects the faulty binding.
#include "python/kit/function.hpp"

namespace {

double one_argument(double a) { return a; }

#ifdef KINETRA_MISMATCH
constexpr char text[] = "(a, b, c, d, e, g)";
#else
constexpr char text[] = "(a)";
#endif

[[maybe_unused]] PyMethodDef binding() {
  return kinetra::python::def<"mismatched_binding", text, &one_argument>();
}

}  // namespace
