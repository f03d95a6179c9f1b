#pragma once

#include <Eigen/Dense>
#include <array>

namespace kinetra {

// Positions, axes, centres of mass and gravity.
using Vector3D = Eigen::Vector3d;
// A 3x3 rotation matrix (column-major storage).
using SpatialRotation = Eigen::Matrix3d;
// Six-vectors are laid out angular (or moment) part first.
using Vector6D = Eigen::Matrix<double, 6, 1>;
using SpatialMotion = Vector6D;
using SpatialForce = Vector6D;
// 6x6 matrices acting on six-vectors (column-major storage).
using SpatialTransform = Eigen::Matrix<double, 6, 6>;
// Red, green, blue, alpha.
using Color = std::array<double, 4>;

inline SpatialMotion motion_from_parts(const Vector3D& angular, const Vector3D& linear) {
  SpatialMotion m;
  m.head<3>() = angular;
  m.tail<3>() = linear;
  return m;
}

// A six-vector kept as its two 3-vectors (angular or moment part, linear part). Sweeps that only
// ever touch the halves hold them so: halves written and whole six-vectors read back defeat the
// processor's store forwarding.
struct SplitVector {
  Vector3D angular = Vector3D::Zero();
  Vector3D linear = Vector3D::Zero();

  SpatialMotion joined() const { return motion_from_parts(angular, linear); }
};

inline SpatialMotion motion_from_rotational_axis(const Vector3D& axis) {
  return motion_from_parts(axis, Vector3D::Zero());
}

inline SpatialMotion motion_from_translational_axis(const Vector3D& axis) {
  return motion_from_parts(Vector3D::Zero(), axis);
}

// m x* f for a motion m = (w; v) and a force f = (n; f): (w x n + v x f; w x f).
inline SpatialForce motion_cross_force(const SpatialMotion& m, const SpatialForce& f) {
  const Vector3D w = m.head<3>(), v = m.tail<3>();
  const Vector3D n = f.head<3>(), lin = f.tail<3>();
  return motion_from_parts(w.cross(n) + v.cross(lin), w.cross(lin));
}

// m x m' for motions m = (w; v), m' = (w'; v'): (w x w'; w x v' + v x w').
inline SpatialMotion motion_cross_motion(const SpatialMotion& m, const SpatialMotion& other) {
  const Vector3D w = m.head<3>(), v = m.tail<3>();
  const Vector3D w2 = other.head<3>(), v2 = other.tail<3>();
  return motion_from_parts(w.cross(w2), w.cross(v2) + v.cross(w2));
}

// The matrix [v]x with [v]x u = v x u.
inline Eigen::Matrix3d skew(const Vector3D& v) {
  Eigen::Matrix3d s;
  s << 0, -v.z(), v.y(), v.z(), 0, -v.x(), -v.y(), v.x(), 0;
  return s;
}

}  // namespace kinetra
