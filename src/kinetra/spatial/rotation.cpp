#include "kinetra/spatial/rotation.hpp"

#include <cmath>

namespace kinetra {

SpatialRotation rotation_from_axis_angle(const Vector3D& axis, double angle) {
  if (angle == 0.0) return SpatialRotation::Identity();
  return rotation_about_unit_axis(unit_vector(axis), std::cos(angle), std::sin(angle));
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
