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

// Calls f(k, S_k) for k = 0..nv-1 with S_k the joint's k-th motion column (angular first)
// expressed in the frame that `placement` maps the joint's child frame into.
template <class F>
void for_each_motion_column(const JointModel& joint, const SE3& placement, F&& f) {
  with_motion_axis(joint, [&](const auto& s) { f(std::size_t{0}, s.act(placement)); });
}

}  // namespace kinetra
