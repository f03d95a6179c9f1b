#include "kinetra/model/frame.hpp"

#include "kinetra/spatial/debug.hpp"

namespace kinetra {

std::string frame_text(const Frame& frame) {
  return "Frame (name='" + frame.name + "', parent joint=" + std::to_string(frame.parent_joint) +
         ", parent frame=" + std::to_string(frame.parent_frame) +
         ", frame_type=" + to_string(frame.frame_type) +
         ")\n Placement=" + debug_value(frame.placement).compact() +
         "\n Inertia=" + debug_value(frame.inertia).compact();
}

}  // namespace kinetra
