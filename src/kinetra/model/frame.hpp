#pragma once

#include <cstddef>
#include <string>

#include "kinetra/export.hpp"
#include "kinetra/inertia/inertia.hpp"
#include "kinetra/model/frame_type.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// A named frame rigidly attached to a joint.
struct Frame {
  std::string name;
  std::size_t parent_joint = 0;
  std::size_t parent_frame = 0;  // informational only
  SE3 placement;                 // in the frame of parent_joint
  FrameType frame_type = FrameType::Operational;
  Inertia inertia;  // of the body the frame describes, in the frame
};

// Frame (name='n', parent joint=j, parent frame=f, frame_type=Body)\n Placement=SE3(..)\n
// Inertia=..
KINETRA_API std::string frame_text(const Frame& frame);

}  // namespace kinetra
