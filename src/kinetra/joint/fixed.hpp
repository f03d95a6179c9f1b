#pragma once

#include "kinetra/joint/additive_coordinates.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// No motion: the identity for every (empty) configuration.
struct FixedJoint : AdditiveCoordinates<0> {
  static constexpr JointType type = JointType::Fixed;
  static constexpr std::size_t nq = 0, nv = 0;

  static Configuration neutral() { return Configuration(0); }
  static Eigen::Matrix<double, 6, 0> subspace() { return {}; }
  static SE3 transform(const double*) { return SE3::identity(); }
  static SE3 transform_after(const SE3& rest, const double*) { return rest; }
  static std::expected<Configuration, EmptyRangeError> random_configuration(const JointLimits&,
                                                                            Rng&) {
    return Configuration(0);
  }
};

}  // namespace kinetra
