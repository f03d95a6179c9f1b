#pragma once

#include <Eigen/Core>
#include <expected>

#include "vortan/collision/collision_geometry.hpp"

namespace vortan {

// Where a shape is: x_world = rotation * x_shape + translation.
struct Placement {
  Eigen::Matrix3d rotation = Eigen::Matrix3d::Identity();
  Eigen::Vector3d translation = Eigen::Vector3d::Zero();
};

// The signed distance between two shapes: positive apart, minus the penetration depth when
// they overlap. point1 and point2 (world) are the nearest points, or the deepest points of each
// inside the other; normal is the unit vector from shape 1 to shape 2: moving shape 2 along it
// by -distance separates overlapping shapes. normal = (point2 - point1) / distance.
struct DistanceResult {
  double distance = 0.0;
  Eigen::Vector3d point1 = Eigen::Vector3d::Zero();
  Eigen::Vector3d point2 = Eigen::Vector3d::Zero();
  Eigen::Vector3d normal = Eigen::Vector3d::UnitZ();
};

// Sphere, capsule and cuboid pairs are answered in closed form, the rest by GJK/EPA (convex
// pairs) or a bounding-volume hierarchy (meshes). Fails only when the solver gives up.
std::expected<DistanceResult, CollisionError> distance(const CollisionGeometry& shape1,
                                                       const Placement& placement1,
                                                       const CollisionGeometry& shape2,
                                                       const Placement& placement2);

// The general solver alone, without the closed forms.
std::expected<DistanceResult, CollisionError> solver_distance(const CollisionGeometry& shape1,
                                                              const Placement& placement1,
                                                              const CollisionGeometry& shape2,
                                                              const Placement& placement2);

// Whether the shapes overlap; the sign of distance() for the closed-form pairs, a boolean
// intersection test (cheaper than the distance) for the others.
std::expected<bool, CollisionError> in_collision(const CollisionGeometry& shape1,
                                                 const Placement& placement1,
                                                 const CollisionGeometry& shape2,
                                                 const Placement& placement2);

// Axis-aligned box around the placed shape.
struct WorldBox {
  Eigen::Vector3d lower, upper;
  bool overlaps(const WorldBox& other) const {
    return (lower.array() <= other.upper.array()).all() &&
           (other.lower.array() <= upper.array()).all();
  }
};
WorldBox world_box(const CollisionGeometry& shape, const Placement& placement);

}  // namespace vortan
