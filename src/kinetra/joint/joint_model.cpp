#include "kinetra/joint/joint_model.hpp"

#include <cmath>

namespace kinetra {

namespace {

// Unbounded limits of the kind's sizes, with `count` values from `first` bounded by +-1.01.
template <class Joint>
JointLimits limits_of(Eigen::Index first = 0, Eigen::Index count = 0) {
  JointLimits limits = JointLimits::unbounded(Joint::nq, Joint::nv);
  limits.min_configuration.segment(first, count).setConstant(-1.01);
  limits.max_configuration.segment(first, count).setConstant(1.01);
  return limits;
}

}  // namespace

JointModel JointModel::revolute(const Vector3D& axis) {
  return {RevoluteJoint(axis), limits_of<RevoluteJoint>()};
}

JointModel JointModel::continuous(const Vector3D& axis) {
  return {ContinuousJoint(axis), limits_of<ContinuousJoint>(0, 2)};
}

JointModel JointModel::prismatic(const Vector3D& axis) {
  return {PrismaticJoint(axis), limits_of<PrismaticJoint>()};
}

JointModel JointModel::fixed() { return {FixedJoint(), limits_of<FixedJoint>()}; }

JointModel JointModel::floating() { return {FloatingJoint(), limits_of<FloatingJoint>(3, 4)}; }

JointModel JointModel::spherical() { return {SphericalJoint(), limits_of<SphericalJoint>(0, 4)}; }

JointModel JointModel::planar(const Vector3D& normal) {
  return {PlanarJoint(normal), limits_of<PlanarJoint>(2, 2)};
}

Configuration JointModel::neutral() const {
  return std::visit([](const auto& joint) { return joint.neutral(); }, kind_);
}

JointData JointModel::create_data() const { return JointData(type()); }

std::expected<Configuration, EmptyRangeError> JointModel::random_configuration(Rng& rng) const {
  return std::visit([&](const auto& joint) { return joint.random_configuration(limits_, rng); },
                    kind_);
}

std::optional<double> JointModel::invalid_quaternion_norm(const double* q) const {
  return visit([&](const auto& joint) -> std::optional<double> {
    if constexpr (requires { joint.quaternion_at; }) {
      const double norm = stored_quaternion_norm(q + joint.quaternion_at);
      if (norm == 0.0 || !std::isfinite(norm)) return norm;
    }
    return std::nullopt;
  });
}

std::optional<double> JointModel::invalid_cos_sin_norm(const double* q) const {
  return visit([&](const auto& joint) -> std::optional<double> {
    if constexpr (requires { joint.cos_sin_at; }) {
      const double norm = std::hypot(q[joint.cos_sin_at], q[joint.cos_sin_at + 1]);
      // hypot(inf, NaN) is inf, so a NaN beside an infinity still fails
      if (norm == 0.0 || !std::isfinite(norm)) return norm;
    }
    return std::nullopt;
  });
}

}  // namespace kinetra
