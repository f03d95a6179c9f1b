#pragma once

#include <Eigen/Core>
#include <cstddef>
#include <vector>

#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

class Model;

// Row-major nv x nv (or 2nv x 2nv, 2nv x nv) derivative matrices, the layout of NumPy arrays.
using DerivativeMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using DerivativeMatrixRef = Eigen::Ref<DerivativeMatrix>;
using DerivativeMatrixConstRef = Eigen::Ref<const DerivativeMatrix>;

// Tables of the derivative sweeps, all in world axes at the world origin; their contents are
// unspecified between calls.
struct DerivativeWorkspace {
  // per joint: oMi, velocity v and acceleration a (the base's a is -g)
  std::vector<SE3> world_from_joint;
  std::vector<SpatialMotion> velocity;
  std::vector<SpatialMotion> acceleration;
  // per joint, summed over its subtree: inertia Ic (articulated IA for the inverse mass
  // matrix), the velocity-product matrix Cc of the forces and the forces F
  std::vector<SpatialTransform> composite_inertia;
  std::vector<SpatialTransform> composite_coriolis;
  std::vector<SpatialForce> composite_force;
  // per joint: D^-1 = (S^T IA S)^-1 in the top-left corner
  std::vector<SpatialTransform> inverse_joint_inertia;
  // the last dof of each joint or of its nearest ancestor with one (-1: none)
  std::vector<Eigen::Index> last_dof;
  // per dof: S, its parent dof on the path to the root (-1 past it), u = S x v_parent,
  // psi = S x a_parent + v_parent x u, w = u + S x v_joint, and U = IA S for the inverse mass
  // matrix
  std::vector<SpatialMotion> dof_motion;
  std::vector<Eigen::Index> dof_parent;
  std::vector<SpatialMotion> dof_velocity_turn;
  std::vector<SpatialMotion> dof_acceleration_turn;
  std::vector<SpatialMotion> dof_rate_turn;
  std::vector<SpatialForce> dof_inertia_times_motion;
  // the inverse mass matrix's 6 x nv force (inward) and acceleration (outward) columns per
  // joint, side by side
  Eigen::Matrix<double, 6, Eigen::Dynamic> propagated;
  // forward dynamics: the accelerations and the inverse dynamics derivatives at them
  Configuration acceleration_solution;
  DerivativeMatrix effort_by_q;
  DerivativeMatrix effort_by_v;

  // Sizes every table for the model; tables already of that size are left as they are.
  void resize(const Model& model);
};

// Outward: placements, dof columns S, velocities and accelerations (world) for q, v, a; a null
// v or a stands for zero. Also the dof parents.
void derivative_kinematics(const Model& model, DerivativeWorkspace& ws, const ConfigurationRef& q,
                           const ConfigurationRef* v, const ConfigurationRef* a);

}  // namespace kinetra
