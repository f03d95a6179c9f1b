#pragma once

#include <cstddef>
#include <type_traits>

#include "kinetra/model/model.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/sin_cos.hpp"

namespace kinetra {

// Placement of joint i's frame in its parent joint's frame for q: rest placement * motion(q_i).
// q holds the model's nq values. A revolute joint's turn takes its sine and cosine inline.
inline SE3 parent_from_joint(const Model& model, std::size_t i, const ConfigurationRef& q) {
  const SE3& rest = model.joint_placements()[i];
  const double* values = q.data() + model.idx_q(i);
  return model.joint_models()[i].visit([&](const auto& kind) -> SE3 {
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(kind)>, RevoluteJoint>) {
      const SinCos turn = sin_cos(values[0]);
      return {rest.rotation *
                  rotation_about_unit_axis(kind.motion.template head<3>(), turn.cos, turn.sin),
              rest.translation};
    } else {
      return kind.transform_after(rest, values);
    }
  });
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
