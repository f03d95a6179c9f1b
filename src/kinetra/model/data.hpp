#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/joint/joint_data.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Tables the algorithms reuse between calls, per joint and per velocity coordinate (dof); their
// contents are unspecified. The frame each sweep uses is stated in model/forward_pass.hpp.
struct KINETRA_API Workspace {
  // per joint
  std::vector<SE3> parent_from_joint;
  std::vector<SE3> world_from_joint;
  std::vector<SpatialMotion> velocity;
  std::vector<SpatialMotion> acceleration;
  std::vector<SpatialMotion> bias_acceleration;
  std::vector<SpatialForce> force;
  // the Newton-Euler sweep's, in each joint's frame
  std::vector<SplitVector> joint_velocity;
  std::vector<SplitVector> joint_acceleration;
  std::vector<SplitVector> joint_force;
  std::vector<SpatialTransform> articulated_inertia;
  // D^-1 = (S^T IA S)^-1 in its top-left nv x nv block
  std::vector<SpatialTransform> inverse_joint_inertia;
  std::vector<OriginInertia> composite_inertia;
  // the last dof of each joint or, for a joint without any, of its nearest ancestor (-1: none)
  std::vector<Eigen::Index> last_dof;
  // per dof: S column, U = IA S column, u = tau - S^T pA entry
  std::vector<SpatialMotion> dof_motion;
  std::vector<SpatialForce> dof_inertia_times_motion;
  std::vector<double> dof_residual_effort;
  // the dof before each on the path to the root (-1 past the root)
  std::vector<Eigen::Index> dof_parent;
  // centre of mass: mass and sum of m c (world) of the bodies at or below each joint
  std::vector<double> subtree_mass;
  std::vector<Vector3D> subtree_mass_moment;

  // Sizes every table for n joints and nv dofs; tables already of that size are left as they are.
  void resize(std::size_t n, std::size_t nv);
};

// The workspace of one model: joint states and world placements from forward kinematics.
struct KINETRA_API Data {
  std::vector<JointData> joint_data;  // joint i's own placement for the last q
  std::vector<SE3> joint_placements;  // world from joint i (oMi)
  Workspace workspace;
};

}  // namespace kinetra
