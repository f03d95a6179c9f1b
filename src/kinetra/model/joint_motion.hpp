#pragma once

#include <cstddef>
#include <type_traits>

#include "kinetra/model/model.hpp"

namespace kinetra {

// Placement of joint i (of kind `joint`) in its parent joint's frame for its values qi: rest
// placement * motion(qi), through the model's precomputed terms where the joint moves along one
// axis.
template <class Joint>
SE3 parent_from_joint(const Model& model, std::size_t i, const Joint& joint, const double* qi) {
  const JointTerms& terms = model.joint_terms()[i];
  if constexpr (requires { Joint::cos_sin(qi); }) {
    const auto [c, s] = Joint::cos_sin(qi);
    return terms.turned(c, s);
  } else if constexpr (requires { joint.motion_axis(); }) {
    return terms.shifted(qi[0]);
  } else if constexpr (Joint::nv == 0) {
    return {terms.k, terms.t};
  } else {
    return joint.transform_after(model.joint_placements()[i], qi);
  }
}

inline SE3 parent_from_joint(const Model& model, std::size_t i, const ConfigurationRef& q) {
  const double* qi = q.data() + model.idx_q(i);
  return model.joint_models()[i].visit(
      [&](const auto& joint) { return parent_from_joint(model, i, joint, qi); });
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
