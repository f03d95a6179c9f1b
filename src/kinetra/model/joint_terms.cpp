#include "kinetra/model/joint_terms.hpp"

namespace kinetra {

// rest * Rot(u, angle) = R (u u^T + c (1 - u u^T) + s [u]x): K = R u u^T, A = R - K, B = R [u]x.
JointTerms::JointTerms(const SE3& rest, const JointModel& joint)
    : k(rest.rotation), t(rest.translation) {
  joint.visit([&](const auto& kind) {
    if constexpr (requires { kind.motion_axis().u; }) {
      axis = kind.motion_axis().u;
      k = (rest.rotation * axis) * axis.transpose();
      a = rest.rotation - k;
      b = rest.rotation * skew(axis);
    } else if constexpr (requires { kind.motion_axis().a; }) {
      axis = kind.motion_axis().a;
      d = rest.rotation * axis;
    }
  });
}

}  // namespace kinetra
