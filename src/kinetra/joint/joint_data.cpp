#include "kinetra/joint/joint_data.hpp"

#include <cmath>

#include "kinetra/joint/joint_model.hpp"
#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

namespace {

const char* expected_size_text(JointType type) {
  switch (type) {
    case JointType::Revolute:
      return "Revolute joint model expects a single angle.";
    case JointType::Continuous:
      return "Continuous joint model expects two values (cosine and sine).";
    case JointType::Prismatic:
      return "Prismatic joint data update expects a single position value.";
    case JointType::Fixed:
      break;
  }
  return "";
}

}  // namespace

std::expected<void, JointError> JointData::update(const JointModel& model,
                                                  const JointConfiguration& q) {
  if (type_ == JointType::Fixed) return {};
  const Eigen::Index expected = type_ == JointType::Continuous ? 2 : 1;
  if (q.size() != expected)
    return std::unexpected(JointError::invalid_size(expected_size_text(type_)));
  const auto axes = model.axes();
  if (axes.size() != 1) return std::unexpected(JointError::missing_attribute("axis"));
  // a model of this kind places the joint itself; another kind's axis goes through this kind's
  // formula
  if (model.type() == type_) {
    placement_ = model.transform(q);
    return {};
  }
  const SpatialMotion& axis = axes.front();
  switch (type_) {
    case JointType::Revolute:
      placement_ = {rotation_from_axis_angle(axis.head<3>(), q[0]), Vector3D::Zero()};
      break;
    case JointType::Continuous:
      placement_ = {rotation_from_axis_angle(axis.head<3>(), std::atan2(q[1], q[0])),
                    Vector3D::Zero()};
      break;
    case JointType::Prismatic:
      placement_ = {SpatialRotation::Identity(), axis.tail<3>() * q[0]};
      break;
    case JointType::Fixed:
      break;
  }
  return {};
}

}  // namespace kinetra
