#pragma once

#include "kinetra/export.hpp"
#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// Rotation about the unit axis u by the angle whose cosine is c and sine is s:
// R = c I + s [u]x + (1 - c) u u^T, exactly the identity for (c, s) = (1, 0).
inline SpatialRotation rotation_about_unit_axis(const Vector3D& u, double c, double s) {
  const double C = 1.0 - c;
  const Vector3D Cu = C * u, su = s * u;
  const double xy = Cu.x() * u.y(), xz = Cu.x() * u.z(), yz = Cu.y() * u.z();
  SpatialRotation r;
  r << c + Cu.x() * u.x(), xy - su.z(), xz + su.y(),  //
      xy + su.z(), c + Cu.y() * u.y(), yz - su.x(),   //
      xz - su.y(), yz + su.x(), c + Cu.z() * u.z();
  return r;
}

// The unit vector along v (finite, non-zero), exact for axis-aligned v of any magnitude: v is
// scaled by its largest entry first, so its squared norm neither overflows nor underflows.
inline Vector3D unit_vector(const Vector3D& v) {
  const Vector3D scaled = v / v.cwiseAbs().maxCoeff();
  return scaled / scaled.norm();
}

// Rotation by `angle` radians about `axis` (any non-zero length); identity when angle == 0.
KINETRA_API SpatialRotation rotation_from_axis_angle(const Vector3D& axis, double angle);

// R = Rz(yaw) Ry(pitch) Rx(roll): roll, pitch and yaw about the fixed x, y and z axes.
KINETRA_API SpatialRotation rotation_from_euler_angles(double roll, double pitch, double yaw);

// Jr^-1(w): the rate of w for R exp(w) turning at the body rate omega is Jr^-1(w) omega.
KINETRA_API SpatialRotation inverse_right_jacobian(const Vector3D& w);

}  // namespace kinetra
