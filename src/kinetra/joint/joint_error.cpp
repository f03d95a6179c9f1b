#include "kinetra/joint/joint_error.hpp"

#include "kinetra/spatial/text.hpp"

namespace kinetra {

std::string JointError::display() const {
  if (kind == Kind::MissingAttribute) return "Missing attribute: " + detail;
  return detail;
}

std::string JointError::debug() const {
  const char* name =
      kind == Kind::MissingAttribute ? "MissingAttributeError" : "InvalidConfigurationSize";
  return DebugValue::tuple(name, {DebugValue::string(detail)}).compact();
}

}  // namespace kinetra
