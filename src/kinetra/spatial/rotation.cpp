#include "kinetra/spatial/rotation.hpp"

#include <cmath>
#include <utility>

namespace kinetra {

SpatialRotation rotation_from_axis_angle(const Vector3D& axis, double angle) {
  if (angle == 0.0) return SpatialRotation::Identity();
  return rotation_about_unit_axis(unit_vector(axis), std::cos(angle), std::sin(angle));
}

namespace {

// cos and sin of `angle`; zero, the usual angle of a description, without the calls and with the
// same values (sin keeps the sign of a zero)
std::pair<double, double> cos_sin(double angle) {
  if (angle == 0.0) return {1.0, angle};
  return {std::cos(angle), std::sin(angle)};
}

}  // namespace

SpatialRotation rotation_from_euler_angles(double roll, double pitch, double yaw) {
  const auto [cr, sr] = cos_sin(roll);
  const auto [cp, sp] = cos_sin(pitch);
  const auto [cy, sy] = cos_sin(yaw);
  SpatialRotation r;
  r << cy * cp, cy * sp * sr - sy * cr, cy * sp * cr + sy * sr,  //
      sy * cp, sy * sp * sr + cy * cr, sy * sp * cr - cy * sr,   //
      -sp, cp * sr, cp * cr;
  return r;
}

SpatialRotation inverse_right_jacobian(const Vector3D& w) {
  const double angle = w.norm();
  // 1 / a^2 - (1 + cos a) / (2 a sin a) = 1 / a^2 - cot(a / 2) / (2 a), by its series near 0;
  // the half-angle form stays exact at a = pi, where the other is 0 / 0
  const double half = 0.5 * angle;
  const double c = angle < 1e-4
                       ? 1.0 / 12.0 + angle * angle / 720.0
                       : 1.0 / (angle * angle) - std::cos(half) / (2.0 * angle * std::sin(half));
  const SpatialRotation k = skew(w);
  return SpatialRotation::Identity() + 0.5 * k + c * k * k;
}

}  // namespace kinetra
