#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_object.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// The geometry objects of one kinematic model; an object's index is its position.
struct KINETRA_API GeometryModel {
  std::vector<GeometryObject> objects;
  // pairs of object indices checked for collision, first < second, in the order added
  std::vector<std::pair<std::size_t, std::size_t>> collision_pairs;
  // meshes stand for their convex hulls in the queries
  bool convex_hulls = false;
  // the kinematic tree, when known (the URDF reader records it): the parent of each joint, and
  // each link's name with its Body frame
  std::vector<std::size_t> joint_parents;
  std::vector<std::pair<std::string, std::size_t>> links;

  // Appends the object unchecked and returns its index.
  std::size_t add_geometry_object(GeometryObject object);
  // Index of the first object with exactly this name.
  std::optional<std::size_t> get_geometry_id(std::string_view name) const;
};

// GeometryModel { objects: [...] }
KINETRA_API DebugValue debug_value(const GeometryModel& model);

}  // namespace kinetra
