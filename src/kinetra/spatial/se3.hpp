#pragma once

#include "kinetra/export.hpp"
#include "kinetra/spatial/random.hpp"
#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// Rigid transform mapping a child-frame point p to R p + t in the parent frame.
struct KINETRA_API SE3 {
  SpatialRotation rotation = SpatialRotation::Identity();
  Vector3D translation = Vector3D::Zero();

  static SE3 identity() { return {}; }
  // Translation uniform in [-1, 1)^3; rotation about a / |a| by |a| with a uniform in [-1, 1)^3.
  static SE3 random(Rng& rng);

  SE3 operator*(const SE3& other) const {
    return {rotation * other.rotation, rotation * other.translation + translation};
  }
  SE3 inverse() const {
    const SpatialRotation rt = rotation.transpose();
    return {rt, -(rt * translation)};
  }
  Vector3D act_point(const Vector3D& p) const { return rotation * p + translation; }

  // 6x6 matrix [[R, [t]x R], [0, R]]; applied to (a; b) it gives (R a + t x R b; R b).
  SpatialTransform action() const;

  // A motion of the child frame expressed in the parent: (R w; R v + t x R w).
  SpatialMotion act_motion(const SpatialMotion& m) const {
    const Vector3D w = rotation * m.head<3>();
    return motion_from_parts(w, rotation * m.tail<3>() + translation.cross(w));
  }
  // A motion of the parent frame expressed in the child: (R^T w; R^T (v - t x w)).
  SplitVector act_motion_inverse(const SplitVector& m) const {
    return {rotation.transpose() * m.angular,
            rotation.transpose() * (m.linear - translation.cross(m.angular))};
  }
  SpatialMotion act_motion_inverse(const SpatialMotion& m) const {
    return act_motion_inverse(SplitVector{m.head<3>(), m.tail<3>()}).joined();
  }
  // A force of the child frame expressed in the parent: (R n + t x R f; R f).
  SplitVector act_force(const SplitVector& f) const {
    const Vector3D lin = rotation * f.linear;
    return {rotation * f.angular + translation.cross(lin), lin};
  }
  SpatialForce act_force(const SpatialForce& f) const {
    return act_force(SplitVector{f.head<3>(), f.tail<3>()}).joined();
  }
  // A force of the parent frame expressed in the child: (R^T (n - t x f); R^T f).
  SpatialForce act_force_inverse(const SpatialForce& f) const {
    const Vector3D n = f.head<3>(), lin = f.tail<3>();
    return motion_from_parts(rotation.transpose() * (n - translation.cross(lin)),
                             rotation.transpose() * lin);
  }
};

// True when R^T R is the identity within 1e-6 absolute or one ulp relative, entry by entry.
KINETRA_API bool is_orthogonal(const SpatialRotation& r);

}  // namespace kinetra
