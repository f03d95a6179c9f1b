#pragma once

#include "kinetra/joint/joint_model.hpp"

namespace kinetra {

// A joint's placement in its parent, rest * motion(q), split into terms fixed when the joint is
// added, so that the sweeps form it with a few multiply-adds: a joint turning by the angle with
// cosine c and sine s is at (K + c A + s B, t), one sliding by x at (K, t + x d), any other at
// its rest placement (K, t).
struct AxisPlacement {
  SpatialRotation k = SpatialRotation::Identity();
  SpatialRotation a = SpatialRotation::Zero();
  SpatialRotation b = SpatialRotation::Zero();
  Vector3D t = Vector3D::Zero();
  Vector3D d = Vector3D::Zero();

  AxisPlacement() = default;
  AxisPlacement(const SE3& rest, const JointModel& joint);

  SE3 turned(double c, double s) const { return {k + c * a + s * b, t}; }
  SE3 shifted(double x) const { return {k, t + x * d}; }
};

}  // namespace kinetra
