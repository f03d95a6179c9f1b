#pragma once

#include "kinetra/export.hpp"
#include "kinetra/spatial/se3.hpp"

// The exponential maps of rotations and rigid motions and their right Jacobians. Twists are
// (angular; linear), like every six-vector here. Exact at angle 0 and pi.
namespace kinetra {

// The rotation by |w| radians about w / |w|.
KINETRA_API SpatialRotation exp3(const Vector3D& w);
// The rotation vector of R (|result| <= pi); R must be a rotation.
KINETRA_API Vector3D log3(const SpatialRotation& r);
// Jr(w): exp3(w + dw) = exp3(w) exp3(Jr(w) dw) to first order.
KINETRA_API SpatialRotation jexp3(const Vector3D& w);
// Jr^-1(log3(R)): log3(R exp3(dw)) = log3(R) + jlog3(R) dw to first order.
KINETRA_API SpatialRotation jlog3(const SpatialRotation& r);

// The motion reached by moving along the constant body twist (w; v) for unit time.
KINETRA_API SE3 exp6(const SpatialMotion& twist);
// The twist with exp6(twist) == M, its angular part of norm <= pi.
KINETRA_API SpatialMotion log6(const SE3& m);
// Jr(twist): exp6(twist + d) = exp6(twist) exp6(Jr(twist) d) to first order.
KINETRA_API SpatialTransform jexp6(const SpatialMotion& twist);
// Jr^-1(log6(M)): log6(M exp6(d)) = log6(M) + jlog6(M) d to first order.
KINETRA_API SpatialTransform jlog6(const SE3& m);

// M0 exp6(t log6(M0^-1 M1)): M0 at t = 0, M1 at t = 1, at constant body twist between.
KINETRA_API SE3 interpolate(const SE3& m0, const SE3& m1, double t);

}  // namespace kinetra
