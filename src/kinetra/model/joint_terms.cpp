#include "kinetra/model/joint_terms.hpp"

namespace kinetra {

// rest * Rot(u, angle) = R (u u^T + c (1 - u u^T) + s [u]x): K = R u u^T, A = R - K, B = R [u]x.
JointTerms::JointTerms(const SE3& rest, const JointModel& joint)
    : k(rest.rotation), t(rest.translation) {
  joint.visit([&](const auto& kind) {
    if constexpr (requires { kind.motion_axis().u; }) {
      motion = Motion::rotation;
      axis = kind.motion_axis().u;
      k = (rest.rotation * axis) * axis.transpose();
      a = rest.rotation - k;
      b = rest.rotation * skew(axis);
    } else if constexpr (requires { kind.motion_axis().a; }) {
      motion = Motion::translation;
      axis = kind.motion_axis().a;
      d = rest.rotation * axis;
    } else if constexpr (std::remove_cvref_t<decltype(kind)>::nv > 0) {
      motion = Motion::several;
    }
  });
}

}  // namespace kinetra
