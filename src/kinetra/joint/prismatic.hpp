#pragma once

#include <cmath>

#include "kinetra/joint/additive_coordinates.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/motion_axis.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Translation along a fixed axis by axis * q0 (a non-unit axis scales the displacement).
struct PrismaticJoint : AdditiveCoordinates<1> {
  static constexpr JointType type = JointType::Prismatic;
  static constexpr std::size_t nq = 1, nv = 1;

  Vector3D axis;         // as given
  SpatialMotion motion;  // translation axis as given

  explicit PrismaticJoint(const Vector3D& a) : axis(a), motion(motion_from_translational_axis(a)) {}

  // Whether `a` can be an axis: its squared norm, which scales the joint's inertia, neither
  // vanishes, nor is subnormal, nor overflows.
  static bool usable_axis(const Vector3D& a) { return std::isnormal(a.squaredNorm()); }

  // S = (0; axis) for the products that skip its zero half
  TranslationAxis motion_axis() const { return {axis}; }
  const SpatialMotion& subspace() const { return motion; }
  static Configuration neutral() { return Configuration::Zero(1); }
  SE3 transform(const double* q) const { return {SpatialRotation::Identity(), axis * q[0]}; }
  // rest * transform(q): a shift along the axis as seen from the rest frame
  SE3 transform_after(const SE3& rest, const double* q) const {
    return {rest.rotation, rest.act_point(axis * q[0])};
  }
  // an infinite bound reads as -2 pi or 2 pi, as for revolute joints (see sample_within_reach)
  static std::expected<Configuration, EmptyRangeError> random_configuration(
      const JointLimits& limits, Rng& rng) {
    return sample_within_reach(limits.min_configuration, limits.max_configuration, rng);
  }
};

}  // namespace kinetra
