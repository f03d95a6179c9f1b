#pragma once

#include <cstddef>
#include <expected>
#include <span>
#include <string>
#include <vector>

#include "kinetra/geometry/collision_workspace.hpp"
#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// A geometry object attached to a joint the joint placements do not cover.
struct KINETRA_API GeometryError {
  std::size_t object_index;
  std::size_t parent_joint;
  std::size_t joint_count;  // number of joint placements given

  // "Geometry object 2 is attached to joint 7, but the data holds 3 joint placements"
  std::string display() const;
};

// World placements of the objects of one geometry model for one kinematic state.
struct KINETRA_API GeometryData {
  std::vector<SE3> object_placements;  // world_from_object, one per object
  CollisionWorkspace collision;        // kept between collision queries

  // Placements from the joints' world placements (index = joint id).
  static std::expected<GeometryData, GeometryError> create(std::span<const SE3> joint_placements,
                                                           const GeometryModel& model);
  // Recomputes every placement: world_from_joint[parent_joint] * joint_from_object. On error
  // the placements are left as they were.
  std::expected<void, GeometryError> update(std::span<const SE3> joint_placements,
                                            const GeometryModel& model);
};

}  // namespace kinetra
