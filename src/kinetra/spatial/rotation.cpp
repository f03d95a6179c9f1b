#include "kinetra/spatial/rotation.hpp"

#include <cmath>

namespace kinetra {

SpatialRotation rotation_from_axis_angle(const Vector3D& axis, double angle) {
  if (angle == 0.0) return SpatialRotation::Identity();
  const Vector3D u = axis / axis.norm();
  const double c = std::cos(angle), s = std::sin(angle), C = 1.0 - c;
  SpatialRotation r;
  r(0, 0) = c * (1.0 - u.x() * u.x()) + u.x() * u.x();
  r(1, 1) = c * (1.0 - u.y() * u.y()) + u.y() * u.y();
  r(2, 2) = c * (1.0 - u.z() * u.z()) + u.z() * u.z();
  r(1, 0) = C * u.x() * u.y() + s * u.z();
  r(0, 1) = C * u.x() * u.y() - s * u.z();
  r(2, 0) = C * u.x() * u.z() - s * u.y();
  r(0, 2) = C * u.x() * u.z() + s * u.y();
  r(2, 1) = C * u.y() * u.z() + s * u.x();
  r(1, 2) = C * u.y() * u.z() - s * u.x();
  return r;
}

SpatialRotation rotation_from_euler_angles(double roll, double pitch, double yaw) {
  const double cr = std::cos(roll), sr = std::sin(roll);
  const double cp = std::cos(pitch), sp = std::sin(pitch);
  const double cy = std::cos(yaw), sy = std::sin(yaw);
  SpatialRotation r;
  r << cy * cp, cy * sp * sr - sy * cr, cy * sp * cr + sy * sr,  //
      sy * cp, sy * sp * sr + cy * cr, sy * sp * cr - cy * sr,   //
      -sp, cp * sr, cp * cr;
  return r;
}

}  // namespace kinetra
