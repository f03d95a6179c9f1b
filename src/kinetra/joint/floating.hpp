#pragma once

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Free motion. q = position (x, y, z) in the parent, then the unit quaternion (x, y, z, w);
// v = the child frame's twist (angular; linear) in its own axes, so S = I is constant in the
// child frame.
struct KINETRA_API FloatingJoint {
  static constexpr JointType type = JointType::Floating;
  static constexpr std::size_t nq = 7, nv = 6;
  static constexpr std::size_t quaternion_at = 3;

  static Configuration neutral() { return Configuration::Unit(7, 6); }
  static SpatialTransform subspace() { return SpatialTransform::Identity(); }
  // out of line, like the other several-axis kinds: the sweeps inline only single-axis joints
  static SE3 transform(const double* q);
  static SE3 transform_after(const SE3& rest, const double* q);
  // position + R v_linear, rotation q * exp(w): both moves in the child frame's axes at q
  static void integrate(const double* q, const double* v, double* out) {
    const Quaternion r = read_quaternion(q + 3);
    Vector3D::Map(out) = Vector3D::Map(q) + r * Vector3D::Map(v + 3);
    write_quaternion((r * quaternion_exp(Vector3D::Map(v))).normalized(), out + 3);
  }
  // the rate of delta for integrate(q, delta) moving at v: the turn by Jr^-1(delta_w), the
  // position by the turn exp(delta_w) made since q
  static void chart_rate(const double* delta, const double* v, double* out) {
    const Vector3D w = Vector3D::Map(delta);
    Vector3D::Map(out) = inverse_right_jacobian(w) * Vector3D::Map(v);
    Vector3D::Map(out + 3) = quaternion_exp(w) * Vector3D::Map(v + 3);
  }
  static void difference(const double* q0, const double* q1, double* out) {
    const Quaternion r0 = read_quaternion(q0 + 3);
    Vector3D::Map(out) = quaternion_log(r0.conjugate() * read_quaternion(q1 + 3));
    Vector3D::Map(out + 3) = r0.conjugate() * (Vector3D::Map(q1) - Vector3D::Map(q0));
  }
  static void normalize(double* q) { write_quaternion(read_quaternion(q + 3), q + 3); }
  // the position within its limits (an unbounded coordinate in [-1, 1) m), the rotation uniform
  static std::expected<Configuration, EmptyRangeError> random_configuration(
      const JointLimits& limits, Rng& rng) {
    const auto position = sample_uniform(limits.min_configuration.head(3),
                                         limits.max_configuration.head(3), rng, 1.0);
    if (!position) return std::unexpected(position.error());
    Configuration q(7);
    q.head(3) = *position;
    write_quaternion(random_quaternion(rng), q.data() + 3);
    return q;
  }
};

}  // namespace kinetra
