#pragma once

#include <cmath>

#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/motion_axis.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Rotation about a fixed axis by one angle q0.
struct RevoluteJoint {
  static constexpr JointType type = JointType::Revolute;
  static constexpr std::size_t nq = 1, nv = 1;

  Vector3D axis;         // as given
  SpatialMotion motion;  // unit rotation axis

  explicit RevoluteJoint(const Vector3D& a)
      : axis(a), motion(motion_from_rotational_axis(a.normalized())) {}

  // S = (u; 0) for the products that skip its zero half
  RotationAxis motion_axis() const { return {motion.head<3>()}; }
  static Configuration neutral() { return Configuration::Zero(1); }
  SpatialRotation rotation(const double* q) const {
    return rotation_about_unit_axis(motion.head<3>(), std::cos(q[0]), std::sin(q[0]));
  }
  SE3 transform(const double* q) const { return {rotation(q), Vector3D::Zero()}; }
  // rest * transform(q): a turn of the rest frame about its own origin
  SE3 transform_after(const SE3& rest, const double* q) const {
    return {rest.rotation * rotation(q), rest.translation};
  }
  static std::expected<Configuration, EmptyRangeError> random_configuration(
      const JointLimits& limits, Rng& rng) {
    return sample_uniform(limits.min_configuration, limits.max_configuration, rng);
  }
};

}  // namespace kinetra
