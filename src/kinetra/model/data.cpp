#include "kinetra/model/data.hpp"

namespace kinetra {

void Workspace::resize(std::size_t n, std::size_t nv) {
  // the tables are only ever sized together
  if (force.size() == n && dof_motion.size() == nv) return;
  parent_from_joint.resize(n);
  world_from_joint.resize(n);
  velocity.resize(n);
  acceleration.resize(n);
  bias_acceleration.resize(n);
  force.resize(n);
  joint_velocity.resize(n);
  joint_acceleration.resize(n);
  joint_force.resize(n);
  articulated_inertia.resize(n);
  inverse_joint_inertia.resize(n);
  composite_inertia.resize(n);
  last_dof.resize(n);
  dof_motion.resize(nv);
  dof_inertia_times_motion.resize(nv);
  dof_residual_effort.resize(nv);
  dof_parent.resize(nv);
  subtree_mass.resize(n);
  subtree_mass_moment.resize(n);
}

}  // namespace kinetra
