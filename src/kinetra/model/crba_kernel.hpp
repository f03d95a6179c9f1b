#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "kinetra/model/world_pass_kernel.hpp"

namespace kinetra::kernel {

// The composite-rigid-body algorithm's tables, in world axes at the world origin (n joints).
template <class S>
struct CrbaWorkspace {
  WorldPassWorkspace<S> world;                        // oMi and S
  std::vector<OriginParameters<S>> composite_inertia;  // (n) Ic_i of the subtree at joint i

  void resize(std::size_t n, std::size_t nv) {
    world.resize(n, nv);
    composite_inertia.resize(n);
  }
};

// The mass matrix M(q) into `mass`, column-major with leading dimension `stride` (>= nv). In
// world axes a subtree's composite inertia is the plain sum of its bodies', and
// M(r, c) = S_c^T (Ic_i S_r) for a dof r of joint i and every dof c of i or an ancestor needs no
// transform along the path. Entries of dofs on separate branches are set to zero.
template <class S>
void crba(const CompiledModel& model, CrbaWorkspace<S>& ws, const S* q, S* mass,
          std::size_t stride) {
  const std::size_t n = model.njoints, nv = model.nv;
  world_forward_pass(model, ws.world, q, static_cast<const S*>(nullptr));
  for (std::size_t i = 1; i < n; ++i) {
    ws.composite_inertia[i] = placed_inertia(model.body[i], ws.world.world_from_joint[i]);
  }
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.parent[i];
    if (parent != 0) ws.composite_inertia[parent] += ws.composite_inertia[i];
  }
  for (std::size_t c = 0; c < nv; ++c) std::fill_n(mass + c * stride, nv, S(0));
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t first = model.v_address[i];
    for (std::size_t r = first; r < first + model.joint_nv[i]; ++r) {
      const Vec6<S> f = ws.composite_inertia[i] * ws.world.dof_motion[r];
      mass[r * stride + r] = ws.world.dof_motion[r].dot(f);
      for (std::ptrdiff_t c = model.dof_parent[r]; c >= 0; c = model.dof_parent[c]) {
        const auto col = static_cast<std::size_t>(c);
        mass[r * stride + col] = mass[col * stride + r] = ws.world.dof_motion[col].dot(f);
      }
    }
  }
}

}  // namespace kinetra::kernel
