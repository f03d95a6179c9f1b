#include "kinetra/joint/joint_model.hpp"

#include <cassert>

namespace kinetra {

JointModel JointModel::revolute(const Vector3D& axis) {
  return {RevoluteJoint(axis), JointLimits::unbounded(RevoluteJoint::nq)};
}

JointModel JointModel::continuous(const Vector3D& axis) {
  JointLimits limits = JointLimits::unbounded(ContinuousJoint::nq);
  limits.min_configuration.setConstant(-1.01);
  limits.max_configuration.setConstant(1.01);
  return {ContinuousJoint(axis), std::move(limits)};
}

JointModel JointModel::prismatic(const Vector3D& axis) {
  return {PrismaticJoint(axis), JointLimits::unbounded(PrismaticJoint::nq)};
}

JointModel JointModel::fixed() { return {FixedJoint(), JointLimits::unbounded(FixedJoint::nq)}; }

JointType JointModel::type() const {
  return std::visit([](const auto& joint) { return joint.type; }, kind_);
}

std::size_t JointModel::nq() const {
  return std::visit([](const auto& joint) { return joint.nq; }, kind_);
}

std::size_t JointModel::nv() const {
  return std::visit([](const auto& joint) { return joint.nv; }, kind_);
}

Configuration JointModel::neutral() const {
  return std::visit([](const auto& joint) { return joint.neutral(); }, kind_);
}

JointData JointModel::create_data() const { return JointData(type()); }

std::span<const SpatialMotion> JointModel::axes() const {
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

std::expected<Configuration, EmptyRangeError> JointModel::random_configuration(Rng& rng) const {
  return std::visit([&](const auto& joint) { return joint.random_configuration(limits_, rng); },
                    kind_);
}

SE3 JointModel::transform(const JointConfiguration& q) const {
  assert(static_cast<std::size_t>(q.size()) == nq());
  return std::visit([&](const auto& joint) { return joint.transform(q.data()); }, kind_);
}

}  // namespace kinetra
