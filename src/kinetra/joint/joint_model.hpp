#pragma once

#include <algorithm>
#include <cstddef>
#include <expected>
#include <optional>
#include <utility>
#include <variant>

#include "kinetra/export.hpp"
#include "kinetra/joint/continuous.hpp"
#include "kinetra/joint/fixed.hpp"
#include "kinetra/joint/floating.hpp"
#include "kinetra/joint/joint_data.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/planar.hpp"
#include "kinetra/joint/prismatic.hpp"
#include "kinetra/joint/revolute.hpp"
#include "kinetra/joint/spherical.hpp"

namespace kinetra {

// Calls f with the alternative `kind` holds. A plain switch, which the compiler inlines into the
// sweeps where std::visit's table of calls may stay out of line.
template <class Variant, class F>
decltype(auto) visit_kind(const Variant& kind, F&& f) {
  static_assert(std::variant_size_v<Variant> == 7, "one case per alternative");
  switch (kind.index()) {
    case 0:
      return f(*std::get_if<0>(&kind));
    case 1:
      return f(*std::get_if<1>(&kind));
    case 2:
      return f(*std::get_if<2>(&kind));
    case 3:
      return f(*std::get_if<3>(&kind));
    case 4:
      return f(*std::get_if<4>(&kind));
    case 5:
      return f(*std::get_if<5>(&kind));
    default:
      return f(*std::get_if<6>(&kind));
  }
}

// Every joint kind moves along at most this many axes.
inline constexpr std::size_t max_joint_nv = 6;

// The motion subspace S of a joint: one column per velocity coordinate, in the child frame.
using MotionSubspace = Eigen::Matrix<double, 6, Eigen::Dynamic, 0, 6, max_joint_nv>;

// Constant description of one joint: its kind, axis and limits. A plain value; copies are deep.
// Each kind is a struct with compile-time nq and nv and the joint's few formulas: placement from
// q, constant motion subspace S in the child frame, integrate, difference, normalize, neutral
// and random configurations.
class KINETRA_API JointModel {
 public:
  using Kind = std::variant<RevoluteJoint, ContinuousJoint, PrismaticJoint, FixedJoint,
                            FloatingJoint, SphericalJoint, PlanarJoint>;

  // The rotation axis must be finite and non-zero; it is stored as given and used as a unit axis.
  static JointModel revolute(const Vector3D& axis);
  // Position bounds (-1.01, -1.01) to (1.01, 1.01).
  static JointModel continuous(const Vector3D& axis);
  static JointModel prismatic(const Vector3D& axis);
  static JointModel fixed();
  // Quaternion bounds -1.01 to 1.01, unbounded position.
  static JointModel floating();
  static JointModel spherical();
  // Motion in the plane normal to `normal` (finite, non-zero); (cos, sin) bounds -1.01 to 1.01.
  static JointModel planar(const Vector3D& normal = Vector3D::UnitZ());

  JointType type() const {
    return visit_kind(kind_, [](const auto& joint) { return joint.type; });
  }
  std::size_t nq() const {
    return visit_kind(kind_, [](const auto& joint) { return joint.nq; });
  }
  std::size_t nv() const {
    return visit_kind(kind_, [](const auto& joint) { return joint.nv; });
  }
  Configuration neutral() const;
  // Data of the matching kind at the identity placement.
  JointData create_data() const;

  // S (6 x nv) in the child frame: the unit rotation axis for revolute and continuous joints,
  // the translation axis as given for prismatic joints, I for floating joints.
  MotionSubspace motion_subspace() const {
    return visit_kind(kind_, [](const auto& joint) -> MotionSubspace { return joint.subspace(); });
  }

  // A configuration within the position limits; bounds that admit no sample are an error.
  std::expected<Configuration, EmptyRangeError> random_configuration(Rng& rng) const;

  // Whether the joint's configuration holds a unit quaternion (floating and spherical joints).
  bool has_quaternion() const {
    return visit_kind(kind_, [](const auto& joint) {
      return requires { joint.quaternion_at; };
    });
  }
  // The norm of the joint's quaternion in its nq values when that is zero or not finite, which
  // leaves the rotation undefined; nothing for joints without one.
  std::optional<double> invalid_quaternion_norm(const double* q) const;
  // Whether the joint's configuration holds a (cos, sin) pair that must have a finite non-zero
  // norm (planar joints; a continuous joint reads (0, 0) as angle 0).
  bool has_cos_sin_pair() const {
    return visit_kind(kind_, [](const auto& joint) {
      return requires { joint.cos_sin_at; };
    });
  }
  // The norm of that pair when it is zero or not finite; nothing otherwise.
  std::optional<double> invalid_cos_sin_norm(const double* q) const;

  // The joint's own motion (child frame in the joint's rest frame) for its nq values; values of
  // another length give the identity.
  SE3 transform(const JointConfiguration& q) const {
    return visit_kind(kind_, [&](const auto& joint) {
      return static_cast<std::size_t>(q.size()) == joint.nq ? joint.transform(q.data())
                                                            : SE3::identity();
    });
  }
  // rest * transform(q) for the joint's rest placement `rest` in its parent, sparing the work a
  // general product spends on the parts the joint's motion leaves alone.
  SE3 transform_after(const SE3& rest, const JointConfiguration& q) const {
    return visit_kind(kind_, [&](const auto& joint) {
      return static_cast<std::size_t>(q.size()) == joint.nq ? joint.transform_after(rest, q.data())
                                                            : rest;
    });
  }

  // Configuration-space operations on the joint's values (nq for q, nv for v); `out` may alias
  // the input configuration. integrate: q moved by v for unit time; difference: the v that
  // moves q0 to q1; normalize: unit quaternions and (cos, sin) pairs.
  void integrate(const double* q, const double* v, double* out) const {
    visit_kind(kind_, [&](const auto& joint) { joint.integrate(q, v, out); });
  }
  // The rate of delta (nv) for integrate(q, delta) moving at velocity v, for any q: v itself
  // where coordinates add or turn about one axis.
  void chart_rate(const double* delta, const double* v, double* out) const {
    visit_kind(kind_, [&](const auto& joint) {
      if constexpr (requires { joint.chart_rate(delta, v, out); }) {
        joint.chart_rate(delta, v, out);
      } else {
        std::copy_n(v, joint.nv, out);
      }
    });
  }
  void difference(const double* q0, const double* q1, double* out) const {
    visit_kind(kind_, [&](const auto& joint) { joint.difference(q0, q1, out); });
  }
  void normalize(double* q) const {
    visit_kind(kind_, [&](const auto& joint) { joint.normalize(q); });
  }

  // Calls f with the joint's own kind (one of Kind's alternatives).
  template <class F>
  decltype(auto) visit(F&& f) const {
    return visit_kind(kind_, std::forward<F>(f));
  }

  const JointLimits& limits() const { return limits_; }
  JointLimits& limits() { return limits_; }

 private:
  JointModel(Kind kind, JointLimits limits) : kind_(std::move(kind)), limits_(std::move(limits)) {}

  Kind kind_;
  JointLimits limits_;
};

}  // namespace kinetra
