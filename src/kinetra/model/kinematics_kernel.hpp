#pragma once

#include <cstddef>

#include "kinetra/model/joint_kernels.hpp"

namespace kinetra::kernel {

// Each joint's world placement oMi = oMi[parent] * rest * own into `world` (n, any placement type
// with rotation and translation members, so that the caller's own array is written in place),
// handing each joint's own motion to `keep_own(i, own)`. Along a chain (parent i - 1) the
// parent's placement is carried over from the step before.
template <class S, class World, class KeepOwn>
void forward_kinematics(const CompiledModel& model, const S* q, World* world, KeepOwn&& keep_own) {
  Placement<S> world_from_last;
  world[0].rotation = world_from_last.rotation;
  world[0].translation = world_from_last.translation;
  keep_own(std::size_t{0}, world_from_last);
  for (std::size_t i = 1; i < model.njoints; ++i) {
    Placement<S> own;
    const Placement<S> parent_from_this = parent_from_joint(model, i, q, &own);
    keep_own(i, own);
    const std::size_t parent = model.parent[i];
    if (parent != i - 1) world_from_last = {world[parent].rotation, world[parent].translation};
    world_from_last = world_from_last * parent_from_this;
    world[i].rotation = world_from_last.rotation;
    world[i].translation = world_from_last.translation;
  }
}

// The same into arrays of placements: own motions (`own`, n) and world placements (`world`, n).
template <class S>
void forward_kinematics(const CompiledModel& model, const S* q, Placement<S>* own,
                        Placement<S>* world) {
  forward_kinematics(model, q, world,
                     [own](std::size_t i, const Placement<S>& motion) { own[i] = motion; });
}

}  // namespace kinetra::kernel
