#include "kinetra/model/data.hpp"

namespace kinetra {

void Workspace::resize(std::size_t n, std::size_t nv) {
  // the tables are only ever sized together
  if (subtree_mass.size() == n && world.dof_motion.size() == nv) return;
  world.resize(n, nv);
  subtree_mass.resize(n);
  subtree_mass_moment.resize(n);
}

void Data::resize(std::size_t n, std::size_t nv) {
  if (aba.acceleration.size() == n && aba.dof_inverse_inertia.size() == nv) return;
  workspace.resize(n, nv);
  rnea.resize(n);
  aba.resize(n, nv);
  crba.resize(n, nv);
}

}  // namespace kinetra
