#pragma once

#include <cstddef>

#include "kinetra/model/joint_kernels.hpp"

namespace kinetra::kernel {

// Each joint's own motion (`own`, n) and world placement oMi = oMi[parent] * rest * own (`world`,
// n). Along a chain (parent i - 1) the parent's placement is carried over from the step before.
template <class S>
void forward_kinematics(const CompiledModel& model, const S* q, Placement<S>* own,
                        Placement<S>* world) {
  Placement<S> world_from_last = world[0] = own[0] = {};
  for (std::size_t i = 1; i < model.njoints; ++i) {
    const Placement<S> parent_from_this = parent_from_joint(model, i, q, &own[i]);
    const std::size_t parent = model.parent[i];
    if (parent != i - 1) world_from_last = world[parent];
    world[i] = world_from_last = world_from_last * parent_from_this;
  }
}

}  // namespace kinetra::kernel
