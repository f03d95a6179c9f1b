#include "kinetra/geometry/geometry_data.hpp"

namespace kinetra {

std::string GeometryError::display() const {
  return "Geometry object " + std::to_string(object_index) + " is attached to joint " +
         std::to_string(parent_joint) + ", but the data holds " + std::to_string(joint_count) +
         " joint placements";
}

std::expected<GeometryData, GeometryError> GeometryData::create(
    std::span<const SE3> joint_placements, const GeometryModel& model) {
  GeometryData data;
  if (auto updated = data.update(joint_placements, model); !updated) {
    return std::unexpected(updated.error());
  }
  return data;
}

std::expected<void, GeometryError> GeometryData::update(std::span<const SE3> joint_placements,
                                                        const GeometryModel& model) {
  // check every object first so that a failure changes nothing
  for (std::size_t i = 0; i < model.objects.size(); ++i) {
    const std::size_t joint = model.objects[i].parent_joint;
    if (joint >= joint_placements.size()) {
      return std::unexpected(GeometryError{i, joint, joint_placements.size()});
    }
  }
  object_placements.clear();
  object_placements.reserve(model.objects.size());
  for (const GeometryObject& object : model.objects) {
    object_placements.push_back(joint_placements[object.parent_joint] * object.placement);
  }
  return {};
}

}  // namespace kinetra
