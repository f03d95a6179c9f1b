#pragma once

#include <string>

#include "kinetra/export.hpp"

namespace kinetra {

// Failure of a joint data update, or a configuration the joint cannot read.
struct KINETRA_API JointError {
  enum class Kind { InvalidConfigurationSize, InvalidQuaternion };
  Kind kind;
  // InvalidConfigurationSize: what the joint expects; InvalidQuaternion: the whole message (a
  // quaternion's or a planar (cos, sin) pair's)
  std::string detail;

  static JointError invalid_size(std::string expectation) {
    return {Kind::InvalidConfigurationSize, std::move(expectation)};
  }
  // joint 'root' has a quaternion of norm 0
  static JointError invalid_quaternion(const std::string& joint, double norm);
  // joint 'base' has a (cos, sin) pair of norm 0
  static JointError invalid_cos_sin(const std::string& joint, double norm);

  std::string display() const { return detail; }
  // InvalidConfigurationSize("...") / the display text
  std::string debug() const;
};

}  // namespace kinetra
