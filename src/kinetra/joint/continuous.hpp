#pragma once

#include <cmath>
#include <numbers>
#include <utility>

#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/rotation_joint.hpp"

namespace kinetra {

// Unbounded rotation about a fixed axis, configured as (cos, sin) of the angle.
struct ContinuousJoint : RotationJoint<ContinuousJoint> {
  static constexpr JointType type = JointType::Continuous;
  static constexpr std::size_t nq = 2, nv = 1;

  using RotationJoint::RotationJoint;

  static Configuration neutral() { return Configuration::Unit(2, 0); }
  // the pair need not be normalised; (0, 0) reads as angle 0
  SpatialRotation rotation(const double* q) const {
    const auto [c, s] = unit_direction(q[0], q[1]);
    return rotation_about_unit_axis(motion.head<3>(), c, s);
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
