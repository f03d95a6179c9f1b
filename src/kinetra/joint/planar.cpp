#include "kinetra/joint/planar.hpp"

#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

PlanarJoint::PlanarJoint(const Vector3D& normal) {
  const Vector3D n = unit_vector(normal);
  plane = n == Vector3D::UnitZ()
              ? SpatialRotation::Identity()
              : Quaternion::FromTwoVectors(Vector3D::UnitZ(), n).toRotationMatrix();
  motion.setZero();
  motion.col(0).head<3>() = plane.col(2);
  motion.col(1).tail<3>() = plane.col(0);
  motion.col(2).tail<3>() = plane.col(1);
}

}  // namespace kinetra
