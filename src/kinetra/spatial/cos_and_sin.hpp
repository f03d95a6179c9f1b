#pragma once

#include <cmath>
#include <utility>

namespace kinetra {

// 2^20 pi/2: the angles cos_and_sin reduces itself
inline constexpr double cos_and_sin_limit = 1.6470993291652855e6;

// The polynomial part for abs(x) < cos_and_sin_limit, over double or lanes of doubles: the cosine
// and sine of x - n pi/2 and n.
template <class T>
struct ReducedCosSin {
  T cos, sin, quadrant;
};
template <class T>
ReducedCosSin<T> reduced_cos_and_sin(const T& x) {
  constexpr double two_over_pi = 6.36619772367581382433e-01;
  constexpr double pio2_1 = 1.57079632673412561417e+00;   // first 33 bits of pi/2
  constexpr double pio2_1t = 6.07710050650619224932e-11;  // pi/2 - pio2_1
  constexpr double to_integer = 6755399441055744.0;       // 1.5 * 2^52: adding it rounds
  const T n = (x * two_over_pi + to_integer) - to_integer;
  const T r = x - n * pio2_1;  // exact
  const T w = n * pio2_1t;
  const T y = r - w;
  const T tail = (r - y) - w;

  const T z = y * y, z2 = z * z;
  const T sin_rest = 8.33333333332248946124e-03 +
                     z * (-1.98412698298579493134e-04 + z * 2.75573137070700676789e-06) +
                     z * z2 * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10);
  const T s =
      y - ((z * (0.5 * tail - y * z * sin_rest) - tail) - y * z * -1.66666666666666324348e-01);
  const T cos_rest = z * (4.16666666666666019037e-02 +
                          z * (-1.38888888888741095749e-03 + z * 2.48015872894767294178e-05)) +
                     z2 * z2 *
                         (-2.75573143513906633035e-07 +
                          z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11));
  const T half_z = 0.5 * z, one_minus = 1.0 - half_z;
  const T c = one_minus + (((1.0 - one_minus) - half_z) + (z * cos_rest - y * tail));
  return {c, s, n};
}

// (cos x, sin x) within an ulp or two, inlined where the joints turn: the angle is reduced by
// the nearest multiple n of pi/2, in three parts of pi/2 whose first products are exact, and each
// function is a polynomial on [-pi/4, pi/4] that also takes the reduction's rounding tail. Angles
// beyond 2^20 pi/2 and non-finite ones go to the library functions.
inline std::pair<double, double> cos_and_sin(double x) {
  if (!(std::fabs(x) < cos_and_sin_limit)) return {std::cos(x), std::sin(x)};
  const auto [c, s, n] = reduced_cos_and_sin(x);
  switch (static_cast<long long>(n) & 3) {
    case 0:
      return {c, s};
    case 1:
      return {-s, c};
    case 2:
      return {-c, -s};
    default:
      return {s, -c};
  }
}

}  // namespace kinetra
