#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_object.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// The geometry objects of one kinematic model; an object's index is its position.
struct KINETRA_API GeometryModel {
  std::vector<GeometryObject> objects;

  // Appends the object unchecked and returns its index.
  std::size_t add_geometry_object(GeometryObject object);
  // Index of the first object with exactly this name.
  std::optional<std::size_t> get_geometry_id(std::string_view name) const;
};

// GeometryModel { objects: [...] }
KINETRA_API DebugValue debug_value(const GeometryModel& model);

}  // namespace kinetra
