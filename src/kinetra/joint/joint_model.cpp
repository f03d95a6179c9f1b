#include "kinetra/joint/joint_model.hpp"

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

Configuration JointModel::neutral() const {
  return std::visit([](const auto& joint) { return joint.neutral(); }, kind_);
}

JointData JointModel::create_data() const { return JointData(type()); }

std::expected<Configuration, EmptyRangeError> JointModel::random_configuration(Rng& rng) const {
  return std::visit([&](const auto& joint) { return joint.random_configuration(limits_, rng); },
                    kind_);
}

}  // namespace kinetra
