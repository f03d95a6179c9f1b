#include "kinetra/spatial/rotation_conversions.hpp"

#include <cmath>

namespace kinetra {

Vector3D euler_angles_from_rotation(const SpatialRotation& r) {
  // cos(pitch) >= 0; below 1e-12 the yaw is lost in rounding
  const double cos_pitch = std::hypot(r(0, 0), r(1, 0));
  const double yaw = cos_pitch < 1e-12 ? 0.0 : std::atan2(r(1, 0), r(0, 0));
  // B = Rz(yaw)^T R = Ry(pitch) Rx(roll) = [[cp, sp sr, sp cr], [0, cr, -sr], [-sp, cp sr, cp cr]]
  const double c = std::cos(yaw), s = std::sin(yaw);
  const Vector3D b0 = (c * r.row(0) + s * r.row(1)).transpose();
  const Vector3D b1 = (-s * r.row(0) + c * r.row(1)).transpose();
  const double pitch = std::atan2(-r(2, 0), b0.x());
  const double roll = std::atan2(-b1.z(), b1.y());
  return {roll, pitch, yaw};
}

Quaternion quaternion_from_rotation(const SpatialRotation& r) {
  Quaternion q(r);
  if (q.w() < 0.0) q.coeffs() = -q.coeffs();
  return q;
}

}  // namespace kinetra
