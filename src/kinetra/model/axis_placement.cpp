#include "kinetra/model/axis_placement.hpp"

namespace kinetra {

// rest * Rot(u, angle) = R (u u^T + c (1 - u u^T) + s [u]x): K = R u u^T, A = R - K, B = R [u]x.
AxisPlacement::AxisPlacement(const SE3& rest, const JointModel& joint)
    : k(rest.rotation), t(rest.translation) {
  joint.visit([&](const auto& kind) {
    if constexpr (requires { kind.motion_axis().u; }) {
      const Vector3D& u = kind.motion_axis().u;
      k = (rest.rotation * u) * u.transpose();
      a = rest.rotation - k;
      b = rest.rotation * skew(u);
    } else if constexpr (requires { kind.motion_axis().a; }) {
      d = rest.rotation * kind.motion_axis().a;
    }
  });
}

}  // namespace kinetra
