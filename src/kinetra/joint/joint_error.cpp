#include "kinetra/joint/joint_error.hpp"

#include "kinetra/spatial/text.hpp"

namespace kinetra {

JointError JointError::invalid_quaternion(const std::string& joint, double norm) {
  return {Kind::InvalidQuaternion,
          "joint '" + joint + "' has a quaternion of norm " + display_number(norm)};
}

JointError JointError::invalid_cos_sin(const std::string& joint, double norm) {
  return {Kind::InvalidQuaternion,
          "joint '" + joint + "' has a (cos, sin) pair of norm " + display_number(norm)};
}

std::string JointError::debug() const {
  if (kind == Kind::InvalidQuaternion) return detail;
  return DebugValue::tuple("InvalidConfigurationSize", {DebugValue::string(detail)}).compact();
}

}  // namespace kinetra
