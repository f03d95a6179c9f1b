#pragma once

#include <cstddef>
#include <string>

#include "kinetra/export.hpp"

namespace kinetra {

// Refusal of Model::add_joint or Model::add_frame; the model is left unchanged.
struct KINETRA_API ModelError {
  enum class Kind { ParentJointDoesNotExist, JointNameAlreadyUsed };
  Kind kind;
  std::size_t joint_id;  // the missing parent, or the joint bearing the name
  std::string name;      // JointNameAlreadyUsed only

  static ModelError parent_joint_does_not_exist(std::size_t parent) {
    return {Kind::ParentJointDoesNotExist, parent, {}};
  }
  static ModelError joint_name_already_used(std::string name, std::size_t id) {
    return {Kind::JointNameAlreadyUsed, id, std::move(name)};
  }

  // Parent joint with id 7 does not exist. / Joint name 'elbow' is already used by joint with id 2.
  std::string display() const;
  // ParentJointDoesNotExist(7) / JointNameAlreadyUsed("elbow", 2)
  std::string debug() const;
};

// Refusal of new model-wide limits; the model is left unchanged.
struct KINETRA_API LimitsError {
  enum class Kind { WrongSize, LowerAboveUpper, NegativeOrNaN };
  Kind kind;
  std::size_t expected;  // WrongSize: the length required
  std::size_t actual;    // WrongSize: the length given; otherwise the first entry refused

  // expected 6 values, got 5 / lower limit above upper limit at index 3 /
  // negative or NaN limit at index 3
  std::string display() const;
};

}  // namespace kinetra
