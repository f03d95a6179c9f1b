#include "kinetra/model/frame_type.hpp"

namespace kinetra {

const char* to_string(FrameType type) {
  const auto code = static_cast<std::size_t>(type);
  return code < frame_type_names.size() ? frame_type_names[code] : "Unknown";
}

}  // namespace kinetra
