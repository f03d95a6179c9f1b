#pragma once

#include <cstddef>
#include <string>

#include "kinetra/export.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/text.hpp"
#include "kinetra/spatial/vector.hpp"
#include "vortan/shape_wrapper.hpp"

namespace kinetra {

// One shape hung on a joint of the kinematic tree.
struct GeometryObject {
  std::string name;
  std::size_t parent_joint;  // joint whose motion carries the object
  std::size_t parent_frame;  // frame it was declared under; informational
  vortan::ShapeWrapper geometry;
  bool disable_collision;
  Color mesh_color;
  SE3 placement;  // joint_from_object
};

// GeometryObject { name: "...", parent_joint: 1, parent_frame: 2, disable_collision: false,
// mesh_color: Color(...), placement: SE3(...) }; the shape is left out.
KINETRA_API DebugValue debug_value(const GeometryObject& object);

}  // namespace kinetra
