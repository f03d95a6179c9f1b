#pragma once

#include <cstddef>
#include <type_traits>

#include "kinetra/model/model.hpp"

namespace kinetra {

// Placement of joint i's frame in its parent joint's frame for q: rest placement * motion(q_i).
inline SE3 parent_from_joint(const Model& model, std::size_t i, const ConfigurationRef& q) {
  const JointModel& joint = model.joint_models()[i];
  return joint.transform_after(
      model.joint_placements()[i],
      q.segment(static_cast<Eigen::Index>(model.idx_q(i)), static_cast<Eigen::Index>(joint.nq())));
}

// Calls f(k, S_k) for k = 0 .. nv - 1 with S_k the joint's k-th motion subspace column (a
// SpatialMotion) expressed in the frame that `placement` maps the joint's child frame into
// (typically the world, placement = oMi).
template <class F>
void for_each_motion_column(const JointModel& joint, const SE3& placement, F&& f) {
  joint.visit([&](const auto& kind) {
    if constexpr (requires { kind.motion_axis(); }) {
      f(std::size_t{0}, SpatialMotion(kind.motion_axis().act(placement)));
    } else if constexpr (std::remove_cvref_t<decltype(kind)>::nv > 0) {
      const auto s = kind.subspace();
      for (std::size_t k = 0; k < kind.nv; ++k) {
        f(k, SpatialMotion(placement.act_motion(s.col(static_cast<Eigen::Index>(k)))));
      }
    }
  });
}

}  // namespace kinetra
