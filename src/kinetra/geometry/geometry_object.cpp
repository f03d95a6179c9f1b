#include "kinetra/geometry/geometry_object.hpp"

#include "kinetra/spatial/debug.hpp"

namespace kinetra {

DebugValue debug_value(const GeometryObject& object) {
  return DebugValue::record("GeometryObject",
                            {{"name", DebugValue::string(object.name)},
                             {"parent_joint", DebugValue::integer(object.parent_joint)},
                             {"parent_frame", DebugValue::integer(object.parent_frame)},
                             {"disable_collision", DebugValue::boolean(object.disable_collision)},
                             {"mesh_color", debug_value(object.mesh_color)},
                             {"placement", debug_value(object.placement)}});
}

}  // namespace kinetra
