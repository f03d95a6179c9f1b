#pragma once

#include <cstddef>

#include "kinetra/model/model.hpp"

namespace kinetra {

// Placement of joint i's frame in its parent joint's frame for q: rest placement * motion(q_i).
inline SE3 parent_from_joint(const Model& model, std::size_t i, const ConfigurationRef& q) {
  const JointModel& joint = model.joint_models()[i];
  return joint.transform_after(
      model.joint_placements()[i],
      q.segment(static_cast<Eigen::Index>(model.idx_q(i)), static_cast<Eigen::Index>(joint.nq())));
}

// Calls f with the motion axis of `joint` (a RotationAxis or TranslationAxis) if it has one.
template <class F>
void with_motion_axis(const JointModel& joint, F&& f) {
  joint.visit([&](const auto& kind) {
    if constexpr (requires { kind.motion_axis(); }) f(kind.motion_axis());
  });
}

}  // namespace kinetra
