#include "kinetra/model/model_error.hpp"

#include "kinetra/spatial/text.hpp"

namespace kinetra {

std::string ModelError::display() const {
  if (kind == Kind::ParentJointDoesNotExist) {
    return "Parent joint with id " + std::to_string(joint_id) + " does not exist.";
  }
  return "Joint name '" + name + "' is already used by joint with id " + std::to_string(joint_id) +
         ".";
}

std::string ModelError::debug() const {
  if (kind == Kind::ParentJointDoesNotExist) {
    return DebugValue::tuple("ParentJointDoesNotExist", {DebugValue::integer(joint_id)}).compact();
  }
  return DebugValue::tuple("JointNameAlreadyUsed",
                           {DebugValue::string(name), DebugValue::integer(joint_id)})
      .compact();
}

std::string LimitsError::display() const {
  if (kind == Kind::WrongSize) {
    return "expected " + std::to_string(expected) + " values, got " + std::to_string(actual);
  }
  if (kind == Kind::NegativeOrNaN) {
    return "negative or NaN limit at index " + std::to_string(actual);
  }
  return "lower limit above upper limit at index " + std::to_string(actual);
}

}  // namespace kinetra
