#pragma once

#include <cmath>

#include "kinetra/joint/additive_coordinates.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/rotation_joint.hpp"
#include "kinetra/spatial/cos_and_sin.hpp"

namespace kinetra {

// Rotation about a fixed axis by one angle q0.
struct RevoluteJoint : RotationJoint<RevoluteJoint>, AdditiveCoordinates<1> {
  static constexpr JointType type = JointType::Revolute;
  static constexpr std::size_t nq = 1, nv = 1;

  using RotationJoint::RotationJoint;

  static Configuration neutral() { return Configuration::Zero(1); }
  static std::pair<double, double> cos_sin(const double* q) { return cos_and_sin(q[0]); }
  // an infinite bound reads as -2 pi or 2 pi (see sample_within_reach)
  static std::expected<Configuration, EmptyRangeError> random_configuration(
      const JointLimits& limits, Rng& rng) {
    return sample_within_reach(limits.min_configuration, limits.max_configuration, rng);
  }
};

}  // namespace kinetra
