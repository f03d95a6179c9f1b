#include "kinetra/joint/spherical.hpp"

namespace kinetra {

SE3 SphericalJoint::transform(const double* q) {
  return {read_quaternion(q).toRotationMatrix(), Vector3D::Zero()};
}

SE3 SphericalJoint::transform_after(const SE3& rest, const double* q) {
  return {rest.rotation * read_quaternion(q).toRotationMatrix(), rest.translation};
}

}  // namespace kinetra
