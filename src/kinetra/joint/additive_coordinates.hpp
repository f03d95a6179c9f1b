#pragma once

#include <cstddef>

namespace kinetra {

// Configuration values that move by plain addition: integrate is q + v, difference q1 - q0.
template <std::size_t n>
struct AdditiveCoordinates {
  static void integrate(const double* q, const double* v, double* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q[i] + v[i];
  }
  static void difference(const double* q0, const double* q1, double* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = q1[i] - q0[i];
  }
  static void normalize(double*) {}
};

}  // namespace kinetra
