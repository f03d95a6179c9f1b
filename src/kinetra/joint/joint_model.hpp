#pragma once

#include <cassert>
#include <cstddef>
#include <expected>
#include <span>
#include <utility>
#include <variant>

#include "kinetra/joint/continuous.hpp"
#include "kinetra/joint/fixed.hpp"
#include "kinetra/joint/joint_data.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/joint/prismatic.hpp"
#include "kinetra/joint/revolute.hpp"

namespace kinetra {

// Every joint kind moves along at most this many axes.
inline constexpr std::size_t max_joint_nv = 1;

// Constant description of one joint: its kind, axis and limits. A plain value; copies are deep.
class JointModel {
 public:
  using Kind = std::variant<RevoluteJoint, ContinuousJoint, PrismaticJoint, FixedJoint>;

  // The axis is stored as given; a zero rotation axis must be refused by the caller.
  static JointModel revolute(const Vector3D& axis);
  // Position bounds (-1.01, -1.01) to (1.01, 1.01).
  static JointModel continuous(const Vector3D& axis);
  static JointModel prismatic(const Vector3D& axis);
  static JointModel fixed();

  JointType type() const {
    return std::visit([](const auto& joint) { return joint.type; }, kind_);
  }
  std::size_t nq() const {
    return std::visit([](const auto& joint) { return joint.nq; }, kind_);
  }
  std::size_t nv() const {
    return std::visit([](const auto& joint) { return joint.nv; }, kind_);
  }
  Configuration neutral() const;
  // Data of the matching kind at the identity placement.
  JointData create_data() const;

  // One motion per velocity coordinate, in the joint frame: the unit rotation axis for
  // revolute and continuous joints, the translation axis as given for prismatic joints.
  std::span<const SpatialMotion> axes() const {
    return std::visit(
        [](const auto& joint) -> std::span<const SpatialMotion> {
          if constexpr (requires { joint.motion; }) {
            return {&joint.motion, 1};
          } else {
            return {};
          }
        },
        kind_);
  }

  // A configuration within the position limits; bounds that admit no sample are an error.
  std::expected<Configuration, EmptyRangeError> random_configuration(Rng& rng) const;

  // The joint's own motion (child frame in the joint's rest frame) for its nq values.
  SE3 transform(const JointConfiguration& q) const {
    assert(static_cast<std::size_t>(q.size()) == nq());
    return std::visit([&](const auto& joint) { return joint.transform(q.data()); }, kind_);
  }
  // rest * transform(q) for the joint's rest placement `rest` in its parent, sparing the work a
  // general product spends on the parts the joint's motion leaves alone.
  SE3 transform_after(const SE3& rest, const JointConfiguration& q) const {
    assert(static_cast<std::size_t>(q.size()) == nq());
    return std::visit([&](const auto& joint) { return joint.transform_after(rest, q.data()); },
                      kind_);
  }

  // Calls f with the joint's own kind: a RevoluteJoint, ContinuousJoint, PrismaticJoint or
  // FixedJoint.
  template <class F>
  decltype(auto) visit(F&& f) const {
    return std::visit(std::forward<F>(f), kind_);
  }

  const JointLimits& limits() const { return limits_; }
  JointLimits& limits() { return limits_; }

 private:
  JointModel(Kind kind, JointLimits limits) : kind_(std::move(kind)), limits_(std::move(limits)) {}

  Kind kind_;
  JointLimits limits_;
};

}  // namespace kinetra
