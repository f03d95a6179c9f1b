#include "kinetra/geometry/geometry_model.hpp"

#include <utility>

namespace kinetra {

std::size_t GeometryModel::add_geometry_object(GeometryObject object) {
  objects.push_back(std::move(object));
  return objects.size() - 1;
}

std::optional<std::size_t> GeometryModel::get_geometry_id(std::string_view name) const {
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (objects[i].name == name) return i;
  }
  return std::nullopt;
}

DebugValue debug_value(const GeometryModel& model) {
  std::vector<DebugValue> objects;
  objects.reserve(model.objects.size());
  for (const GeometryObject& object : model.objects) objects.push_back(debug_value(object));
  return DebugValue::record("GeometryModel", {{"objects", DebugValue::list(std::move(objects))}});
}

}  // namespace kinetra
