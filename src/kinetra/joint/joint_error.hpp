#pragma once

#include <string>

namespace kinetra {

// Failure of a joint data update.
struct JointError {
  enum class Kind { MissingAttribute, InvalidConfigurationSize };
  Kind kind;
  // MissingAttribute: the attribute name; InvalidConfigurationSize: what the joint expects
  std::string detail;

  static JointError missing_attribute(std::string name) {
    return {Kind::MissingAttribute, std::move(name)};
  }
  static JointError invalid_size(std::string expectation) {
    return {Kind::InvalidConfigurationSize, std::move(expectation)};
  }

  // "Missing attribute: axis" / the expectation text
  std::string display() const;
  // MissingAttributeError("axis") / InvalidConfigurationSize("...")
  std::string debug() const;
};

}  // namespace kinetra
