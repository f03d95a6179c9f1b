#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_data.hpp"
#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/model/crba_kernel.hpp"
#include "kinetra/model/derivative_workspace.hpp"
#include "kinetra/model/rnea_kernel.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Tables of the algorithms outside the dynamics kernels (energies, centre of mass), reused
// between calls; their contents are unspecified.
struct KINETRA_API Workspace {
  kernel::WorldPassWorkspace<double> world;  // oMi, S (world), v_i, c_i
  // centre of mass: mass and sum of m c (world) of the bodies at or below each joint
  std::vector<double> subtree_mass;
  std::vector<Vector3D> subtree_mass_moment;

  // Sizes every table for n joints and nv dofs; tables already of that size are left as they are.
  void resize(std::size_t n, std::size_t nv);
};

// The workspace of one model: joint states and world placements from forward kinematics, and
// each algorithm's own tables (each documented where its kernel is).
struct KINETRA_API Data {
  std::vector<JointData> joint_data;  // joint i's own placement for the last q
  std::vector<SE3> joint_placements;  // world from joint i (oMi)
  Workspace workspace;
  kernel::RneaWorkspace<double> rnea;
  kernel::AbaWorkspace<double> aba;
  kernel::CrbaWorkspace<double> crba;
  DerivativeWorkspace derivatives;

  // Sizes every table for n joints and nv dofs; tables already of that size are left as they are.
  void resize(std::size_t n, std::size_t nv);
};

}  // namespace kinetra
