#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/model/joint_kernels.hpp"

namespace kinetra::kernel {

// The outward pass of the sweeps that work in world axes at the world origin (aba, crba,
// energies): every joint's S is turned into the world once, and composite or articulated
// inertias then pass to the parent as they are.
template <class S>
struct WorldPassWorkspace {
  std::vector<Placement<S>> world_from_joint;  // (n) oMi
  std::vector<Vec6<S>> velocity;               // (n) v_i, world
  std::vector<Vec6<S>> bias_acceleration;      // (n) c_i = v_i x S qd, the rate of S qd
  std::vector<Vec6<S>> dof_motion;             // (nv) S column, world

  void resize(std::size_t n, std::size_t nv) {
    world_from_joint.resize(n);
    velocity.resize(n);
    bias_acceleration.resize(n);
    dof_motion.resize(nv);
  }
};

// oMi and S per dof for q; with v also v_i and c_i.
template <class S>
void world_forward_pass(const CompiledModel& model, WorldPassWorkspace<S>& ws, const S* q,
                        const S* v) {
  ws.world_from_joint[0] = {};
  ws.velocity[0].setZero();
  for (std::size_t i = 1; i < model.njoints; ++i) {
    const std::size_t parent = model.parent[i], first = model.v_address[i];
    // composed in place: a copy of a product would be read back at other offsets
    const Placement<S> parent_from_this = parent_from_joint(model, i, q);
    const Placement<S>& world_from_parent = ws.world_from_joint[parent];
    Placement<S>& world_from_this = ws.world_from_joint[i];
    world_from_this.rotation.noalias() = world_from_parent.rotation * parent_from_this.rotation;
    world_from_this.translation.noalias() =
        world_from_parent.rotation * parent_from_this.translation + world_from_parent.translation;
    // S and v kept as halves and stored half by half, so that every read matches a store
    Halves<S> joint_velocity;  // S qd
    const JointCode kind = model.kind[i];
    if (turns(kind)) {
      // (R u; t x R u)
      const Vec3<S> w = world_from_this.rotation * model.terms[i].axis.template cast<S>();
      const Halves<S> s{w, world_from_this.translation.cross(w)};
      s.store(ws.dof_motion[first]);
      if (v) joint_velocity = s * v[first];
    } else if (kind == JointCode::prismatic) {
      const Halves<S> s{Vec3<S>::Zero(),
                        world_from_this.rotation * model.terms[i].axis.template cast<S>()};
      s.store(ws.dof_motion[first]);
      if (v) joint_velocity = s * v[first];
    } else {
      for (std::size_t k = first; k < first + model.joint_nv[i]; ++k) {
        const Halves<S> s =
            world_from_this.act_motion(Halves<S>::of(model.dof_motion[k].template cast<S>()));
        s.store(ws.dof_motion[k]);
        if (v) joint_velocity += s * v[k];
      }
    }
    if (!v) continue;
    Halves<S> vi = Halves<S>::of(ws.velocity[parent]);
    vi += joint_velocity;
    vi.store(ws.velocity[i]);
    motion_cross_motion(vi, joint_velocity).store(ws.bias_acceleration[i]);
  }
}

}  // namespace kinetra::kernel
