#pragma once

#include <cmath>
#include <numbers>
#include <utility>

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/rotation_joint.hpp"

namespace kinetra {

// Unbounded rotation about a fixed axis, configured as (cos, sin) of the angle.
struct KINETRA_API ContinuousJoint : RotationJoint<ContinuousJoint> {
  static constexpr JointType type = JointType::Continuous;
  static constexpr std::size_t nq = 2, nv = 1;

  using RotationJoint::RotationJoint;

  static Configuration neutral() { return Configuration::Unit(2, 0); }
  // the pair need not be normalised; (0, 0) reads as angle 0
  static std::pair<double, double> cos_sin(const double* q) { return unit_direction(q[0], q[1]); }
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
  // the pair (cos, sin) turned by `angle`
  static void turn(const double* q, double angle, double* out) {
    const auto [c, s] = unit_direction(q[0], q[1]);
    const double dc = std::cos(angle), ds = std::sin(angle);
    out[0] = c * dc - s * ds;
    out[1] = s * dc + c * ds;
  }
  // the angle from the pair q0 to the pair q1, in (-pi, pi]
  static double angle_between(const double* q0, const double* q1) {
    const auto [c0, s0] = unit_direction(q0[0], q0[1]);
    const auto [c1, s1] = unit_direction(q1[0], q1[1]);
    return std::atan2(c0 * s1 - s0 * c1, c0 * c1 + s0 * s1);
  }
  static void integrate(const double* q, const double* v, double* out) { turn(q, v[0], out); }
  static void difference(const double* q0, const double* q1, double* out) {
    out[0] = angle_between(q0, q1);
  }
  static void normalize(double* q) { turn(q, 0.0, q); }
  // the limits are not consulted: the angle is uniform in [0, 2 pi)
  static std::expected<Configuration, EmptyRangeError> random_configuration(const JointLimits&,
                                                                            Rng& rng) {
    const double angle = 2.0 * std::numbers::pi * uniform01(rng);
    return Configuration{{std::cos(angle), std::sin(angle)}};
  }
};

}  // namespace kinetra
