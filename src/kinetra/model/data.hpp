#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/joint/joint_data.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Per-joint tables the algorithms reuse between calls; their contents are unspecified.
struct Workspace {
  std::vector<SE3> parent_from_joint;
  std::vector<SE3> world_from_joint;
  std::vector<SpatialMotion> velocity;
  std::vector<SpatialMotion> acceleration;
  std::vector<SpatialMotion> bias_acceleration;
  std::vector<SpatialForce> force;
  std::vector<SpatialMotion> motion_axis;
  std::vector<SpatialTransform> articulated_inertia;
  std::vector<SpatialForce> inertia_times_axis;
  std::vector<double> inverse_axis_inertia;
  std::vector<double> residual_effort;
  std::vector<OriginInertia> composite_inertia;
  // centre of mass: mass and sum of m c (world) of the bodies at or below each joint
  std::vector<double> subtree_mass;
  std::vector<Vector3D> subtree_mass_moment;

  // Sizes every table for n joints; tables already of that size are left as they are.
  void resize(std::size_t n);
};

// The workspace of one model: joint states and world placements from forward kinematics.
struct Data {
  std::vector<JointData> joint_data;  // joint i's own placement for the last q
  std::vector<SE3> joint_placements;  // world from joint i (oMi)
  Workspace workspace;
};

}  // namespace kinetra
