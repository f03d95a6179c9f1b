#pragma once

#include <utility>

#include "kinetra/joint/motion_axis.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// What joints turning about a fixed axis share; Derived supplies cos_sin(q), the cosine and sine of
// the angle.
template <class Derived>
struct RotationJoint {
  Vector3D axis;         // as given
  SpatialMotion motion;  // unit rotation axis

  // the axis must be finite and non-zero; any such axis gives the exact unit axis
  explicit RotationJoint(const Vector3D& a)
      : axis(a), motion(motion_from_rotational_axis(unit_vector(a))) {}

  // S = (u; 0) for the products that skip its zero half
  RotationAxis motion_axis() const { return {motion.head<3>()}; }
  const SpatialMotion& subspace() const { return motion; }
  SpatialRotation rotation(const double* q) const {
    const auto [c, s] = Derived::cos_sin(q);
    return rotation_about_unit_axis(motion.head<3>(), c, s);
  }
  SE3 transform(const double* q) const { return {rotation(q), Vector3D::Zero()}; }
  // rest * transform(q): a turn of the rest frame about its own origin
  SE3 transform_after(const SE3& rest, const double* q) const {
    return {rest.rotation * rotation(q), rest.translation};
  }
};

}  // namespace kinetra
