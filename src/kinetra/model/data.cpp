#include "kinetra/model/data.hpp"

namespace kinetra {

void Workspace::resize(std::size_t n) {
  // the tables are only ever sized together
  if (force.size() == n) return;
  parent_from_joint.resize(n);
  world_from_joint.resize(n);
  velocity.resize(n);
  acceleration.resize(n);
  bias_acceleration.resize(n);
  force.resize(n);
  motion_axis.resize(n);
  articulated_inertia.resize(n);
  inertia_times_axis.resize(n);
  inverse_axis_inertia.resize(n);
  residual_effort.resize(n);
  composite_inertia.resize(n);
  subtree_mass.resize(n);
  subtree_mass_moment.resize(n);
}

}  // namespace kinetra
