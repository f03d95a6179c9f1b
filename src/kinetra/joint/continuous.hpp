#pragma once

#include <cmath>
#include <numbers>
#include <utility>

#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/motion_axis.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Unbounded rotation about a fixed axis, configured as (cos, sin) of the angle.
struct ContinuousJoint {
  static constexpr JointType type = JointType::Continuous;
  static constexpr std::size_t nq = 2, nv = 1;

  Vector3D axis;         // as given
  SpatialMotion motion;  // unit rotation axis

  explicit ContinuousJoint(const Vector3D& a)
      : axis(a), motion(motion_from_rotational_axis(a.normalized())) {}

  // S = (u; 0) for the products that skip its zero half
  RotationAxis motion_axis() const { return {motion.head<3>()}; }
  static Configuration neutral() { return Configuration::Unit(2, 0); }
  // the pair need not be normalised; (0, 0) reads as angle 0
  SpatialRotation rotation(const double* q) const {
    const auto [c, s] = unit_direction(q[0], q[1]);
    return rotation_about_unit_axis(motion.head<3>(), c, s);
  }
  SE3 transform(const double* q) const { return {rotation(q), Vector3D::Zero()}; }
  // rest * transform(q): a turn of the rest frame about its own origin
  SE3 transform_after(const SE3& rest, const double* q) const {
    return {rest.rotation * rotation(q), rest.translation};
  }
  // (cos, sin) of atan2(y, x): the pair scaled to unit length where its squared norm is a
  // normal number, through the angle otherwise
  static std::pair<double, double> unit_direction(double x, double y) {
    const double squared_norm = x * x + y * y;
    if (std::isnormal(squared_norm)) {
      const double norm = std::sqrt(squared_norm);
      return {x / norm, y / norm};
    }
    const double angle = std::atan2(y, x);
    return {std::cos(angle), std::sin(angle)};
  }
  // the limits are not consulted: the angle is uniform in [0, 2 pi)
  static std::expected<Configuration, EmptyRangeError> random_configuration(const JointLimits&,
                                                                            Rng& rng) {
    const double angle = 2.0 * std::numbers::pi * uniform01(rng);
    return Configuration{{std::cos(angle), std::sin(angle)}};
  }
};

}  // namespace kinetra
