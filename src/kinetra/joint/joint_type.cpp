#include "kinetra/joint/joint_type.hpp"

namespace kinetra {

const char* to_string(JointType type) {
  const auto code = static_cast<std::size_t>(type);
  return code < joint_type_names.size() ? joint_type_names[code] : "Unknown";
}

}  // namespace kinetra
