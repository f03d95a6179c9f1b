#pragma once

#include <cmath>
#include <cstdint>

namespace kinetra {

struct SinCos {
  double sin;
  double cos;
};

// sin(x) and cos(x) inline: within 1.5e-16 of the exact values for |x| < 8e5 (1.5 ulp for joint
// angles), exactly (0, 1) at 0, and the library's values beyond or for inf and NaN. The pair
// costs a joint angle about a third of a library call.
inline SinCos sin_cos(double x) {
  // pi/2 in three parts, the first two of 33 bits, so that k times each is exact for |k| < 2^20
  constexpr double pio2_1 = 1.5707963267341256e+00, pio2_2 = 6.077100506303966e-11,
                   pio2_3 = 2.0222662487959506e-21, two_over_pi = 0.6366197723675814;
  if (!(std::abs(x) < 8e5)) return {std::sin(x), std::cos(x)};
  // nearest k (by truncation, exact in this range); r = x - k pi/2 in [-pi/4, pi/4] up to rounding
  const double y = x * two_over_pi;
  const auto n = static_cast<std::int64_t>(y + (y < 0 ? -0.5 : 0.5));
  const auto k = static_cast<double>(n);
  const double r = ((x - k * pio2_1) - k * pio2_2) - k * pio2_3;
  // minimax polynomials on [-pi/4, pi/4]
  const double z = r * r, w = z * z;
  const double s_tail = 8.33333333332248946124e-03 +
                        z * (-1.98412698298579493134e-04 + z * 2.75573137070700676789e-06) +
                        z * w * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10);
  const double s = r + z * r * (-1.66666666666666324348e-01 + z * s_tail);
  const double c_tail = z * (4.16666666666666019037e-02 +
                             z * (-1.38888888888741095749e-03 + z * 2.48015872894767294178e-05)) +
                        w * w *
                            (-2.75573143513906633035e-07 +
                             z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11));
  const double half_z = 0.5 * z, one_minus = 1.0 - half_z;
  const double c = one_minus + (((1.0 - one_minus) - half_z) + z * c_tail);
  // quadrant k mod 4: (s, c), (c, -s), (-s, -c), (-c, s)
  const auto quadrant = static_cast<unsigned>(n & 3);
  const double pair[2] = {s, c};
  const double sin_abs = pair[quadrant & 1], cos_abs = pair[(quadrant & 1) ^ 1];
  return {quadrant & 2 ? -sin_abs : sin_abs, (quadrant + 1) & 2 ? -cos_abs : cos_abs};
}

}  // namespace kinetra
