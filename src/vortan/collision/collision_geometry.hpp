#pragma once

#include <Eigen/Core>
#include <array>
#include <expected>
#include <memory>
#include <string>

#include "vortan/shape.hpp"

namespace fcl {
template <typename S>
class CollisionGeometry;
}  // namespace fcl

namespace vortan {

// Why a shape cannot be queried: a size that is not positive, or a mesh file that cannot be
// read or holds no triangles.
struct CollisionError {
  std::string message;  // "a sphere of radius -0.1 (sizes must be positive)"
};

// A shape made ready for distance queries. Immutable once made, so that threads share it.
struct CollisionGeometry {
  ShapeType type;
  double radius = 0.0;                                     // sphere, capsule, cone, cylinder
  double half_length = 0.0;                                // capsule, cone, cylinder: along z
  Eigen::Vector3d half_extents = Eigen::Vector3d::Zero();  // cuboid
  std::string mesh_path;                                   // mesh
  std::array<float, 3> mesh_scale{1.0f, 1.0f, 1.0f};       // mesh
  bool convex_hull = false;                                // a mesh stands for its convex hull
  // box around the shape in its own frame
  Eigen::Vector3d local_box_center = Eigen::Vector3d::Zero();
  Eigen::Vector3d local_box_half_sizes = Eigen::Vector3d::Zero();
  std::shared_ptr<const fcl::CollisionGeometry<double>> solid;

  // Made from `shape` with these settings (an older one is stale after the shape changed).
  bool matches(const Shape& shape, bool hull) const;
};

// `shape` made ready for queries; a mesh as every triangle of its file (`hull` false) or as
// their convex hull. A mesh file is read once per path, scale and hull setting while any
// geometry made from it lives; later calls share it.
std::expected<std::shared_ptr<const CollisionGeometry>, CollisionError> make_collision_geometry(
    const Shape& shape, bool hull);

}  // namespace vortan
