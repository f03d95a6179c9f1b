#pragma once

#include <cmath>

#include "kinetra/export.hpp"
#include "kinetra/joint/continuous.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Motion in a plane: rotation about its normal n and translation along two in-plane axes
// (ex, ey), the plane frame's x and y, taking z to n (the identity for n = z).
// q = (x, y, cos theta, sin theta); v = (theta rate, x rate, y rate) in the child frame, so the
// columns of S, (n; 0), (0; ex), (0; ey), are constant in the child frame.
struct KINETRA_API PlanarJoint {
  static constexpr JointType type = JointType::Planar;
  static constexpr std::size_t nq = 4, nv = 3;
  static constexpr std::size_t cos_sin_at = 2;

  Vector3D normal;        // as given
  SpatialRotation plane;  // columns ex, ey, n
  Eigen::Matrix<double, 6, 3> motion;

  // the normal must be finite and non-zero
  explicit PlanarJoint(const Vector3D& normal);

  static Configuration neutral() { return Configuration::Unit(4, 2); }
  const Eigen::Matrix<double, 6, 3>& subspace() const { return motion; }
  SE3 transform(const double* q) const;
  SE3 transform_after(const SE3& rest, const double* q) const;
  // the in-plane velocity turned into the plane's axes at q, the angle turned by the rate
  static void integrate(const double* q, const double* v, double* out) {
    const auto [c, s] = ContinuousJoint::unit_direction(q[2], q[3]);
    out[0] = q[0] + c * v[1] - s * v[2];
    out[1] = q[1] + s * v[1] + c * v[2];
    ContinuousJoint::turn(q + 2, v[0], out + 2);
  }
  // the rate of delta for integrate(q, delta) moving at v: the in-plane velocity turned by the
  // angle delta[0] made since q
  static void chart_rate(const double* delta, const double* v, double* out) {
    const double c = std::cos(delta[0]), s = std::sin(delta[0]);
    out[0] = v[0];
    out[1] = c * v[1] - s * v[2];
    out[2] = s * v[1] + c * v[2];
  }
  static void difference(const double* q0, const double* q1, double* out) {
    const auto [c, s] = ContinuousJoint::unit_direction(q0[2], q0[3]);
    const double dx = q1[0] - q0[0], dy = q1[1] - q0[1];
    out[0] = ContinuousJoint::angle_between(q0 + 2, q1 + 2);
    out[1] = c * dx + s * dy;
    out[2] = -s * dx + c * dy;
  }
  static void normalize(double* q) { ContinuousJoint::normalize(q + 2); }
  // the position within its limits (an unbounded coordinate in [-1, 1) m), the angle uniform
  static std::expected<Configuration, EmptyRangeError> random_configuration(
      const JointLimits& limits, Rng& rng) {
    const auto position = sample_uniform(limits.min_configuration.head(2),
                                         limits.max_configuration.head(2), rng, 1.0);
    if (!position) return std::unexpected(position.error());
    const auto turn = ContinuousJoint::random_configuration(limits, rng);
    return Configuration{{(*position)[0], (*position)[1], (*turn)[0], (*turn)[1]}};
  }
};

}  // namespace kinetra
