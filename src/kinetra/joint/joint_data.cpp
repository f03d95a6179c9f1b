#include "kinetra/joint/joint_data.hpp"

#include "kinetra/joint/joint_model.hpp"

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
    case JointType::Floating:
      return "Floating joint model expects seven values (position and quaternion x, y, z, w).";
    case JointType::Spherical:
      return "Spherical joint model expects four values (quaternion x, y, z, w).";
    case JointType::Planar:
      return "Planar joint model expects four values (x, y, cosine and sine).";
    case JointType::Fixed:
      break;
  }
  return "";
}

}  // namespace

std::expected<void, JointError> JointData::update(const JointModel& model,
                                                  const JointConfiguration& q) {
  if (type_ == JointType::Fixed) return {};
  if (static_cast<std::size_t>(q.size()) != model.nq())
    return std::unexpected(JointError::invalid_size(expected_size_text(type_)));
  placement_ = model.transform(q);
  return {};
}

}  // namespace kinetra
