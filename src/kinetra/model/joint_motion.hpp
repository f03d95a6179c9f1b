#pragma once

#include <cstddef>
#include <type_traits>

#include "kinetra/model/model.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/sin_cos.hpp"

namespace kinetra {

// rest * motion(q) for a joint of this kind with its nq values at `values`: the joint's
// placement in its parent's frame. A revolute joint's turn takes its sine and cosine inline.
template <class Kind>
SE3 turned_placement(const Kind& kind, const SE3& rest, const double* values) {
  if constexpr (std::is_same_v<Kind, RevoluteJoint>) {
    const SinCos turn = sin_cos(values[0]);
    return {rest.rotation *
                rotation_about_unit_axis(kind.motion.template head<3>(), turn.cos, turn.sin),
            rest.translation};
  } else {
    return kind.transform_after(rest, values);
  }
}

// Calls f(k, S_k) for k = 0 .. nv - 1 with S_k the k-th motion subspace column (a SpatialMotion)
// of a joint of this kind, expressed in the frame that `placement` maps the joint's child frame
// into (typically the world, placement = oMi).
template <class Kind, class F>
void for_each_motion_column(const Kind& kind, const SE3& placement, F&& f) {
  if constexpr (requires { kind.motion_axis(); }) {
    f(std::size_t{0}, SpatialMotion(kind.motion_axis().act(placement)));
  } else if constexpr (Kind::nv > 0) {
    const auto s = kind.subspace();
    for (std::size_t k = 0; k < kind.nv; ++k) {
      f(k, SpatialMotion(placement.act_motion(s.col(static_cast<Eigen::Index>(k)))));
    }
  }
}

// The same for the joint's own kind.
template <class F>
void for_each_motion_column(const JointModel& joint, const SE3& placement, F&& f) {
  joint.visit([&](const auto& kind) { for_each_motion_column(kind, placement, f); });
}

}  // namespace kinetra
