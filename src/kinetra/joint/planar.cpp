#include "kinetra/joint/planar.hpp"

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

PlanarJoint::PlanarJoint(const Vector3D& given_normal) : normal(given_normal) {
  // n exactly, ex from the coordinate axis least along n (x for n = z), ey = n x ex
  const Vector3D n = unit_vector(normal);
  Eigen::Index least = 0;
  n.cwiseAbs().minCoeff(&least);
  const Vector3D axis = Vector3D::Unit(least);
  const Vector3D ex = unit_vector(axis - axis.dot(n) * n);
  plane << ex, n.cross(ex), n;
  motion.setZero();
  motion.col(0).head<3>() = n;
  motion.col(1).tail<3>() = plane.col(0);
  motion.col(2).tail<3>() = plane.col(1);
}

SE3 PlanarJoint::transform(const double* q) const {
  const auto [c, s] = ContinuousJoint::unit_direction(q[2], q[3]);
  return {rotation_about_unit_axis(plane.col(2), c, s),
          plane.leftCols<2>() * Eigen::Vector2d(q[0], q[1])};
}

SE3 PlanarJoint::transform_after(const SE3& rest, const double* q) const {
  return rest * transform(q);
}

}  // namespace kinetra
