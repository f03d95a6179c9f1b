#pragma once

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_model.hpp"

namespace kinetra {

// What the sweeps need of a joint's placement, fixed when it is added to a model, so that they
// form its placement in its parent, rest * motion(q), with a few multiply-adds: a joint turning by the angle with cosine c and
// sine s is at (K + c A + s B, t), one sliding by x at (K, t + x d), any other joint without
// several axes at its rest placement (K, t).
struct KINETRA_API JointTerms {
  // the unit rotation axis or the translation axis of a single-axis joint
  Vector3D axis = Vector3D::Zero();
  SpatialRotation k = SpatialRotation::Identity();
  SpatialRotation a = SpatialRotation::Zero();
  SpatialRotation b = SpatialRotation::Zero();
  Vector3D t = Vector3D::Zero();
  Vector3D d = Vector3D::Zero();

  JointTerms() = default;
  JointTerms(const SE3& rest, const JointModel& joint);

  SE3 turned(double c, double s) const { return {k + c * a + s * b, t}; }
  SE3 shifted(double x) const { return {k, t + x * d}; }
};

}  // namespace kinetra
