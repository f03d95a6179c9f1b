#pragma once

#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// The motion S of a single-axis joint per unit of its velocity coordinate, as the products the
// algorithms need. One half of S is zero, and the products skip it.

// S = (u; 0): rotation about the unit axis u.
struct RotationAxis {
  Vector3D u;

  // m += S x
  void add_to(SpatialMotion& m, double x) const { m.head<3>() += x * u; }
  // S^T f = u . n
  double dot(const SpatialForce& f) const { return u.dot(f.head<3>()); }
  // m += v x (S x) = (w x u x; v x u x)
  void add_cross(SpatialMotion& m, const SpatialMotion& v, double x) const {
    const Vector3D ux = x * u, w = v.head<3>(), lin = v.tail<3>();
    m.head<3>() += w.cross(ux);
    m.tail<3>() += lin.cross(ux);
  }
  // S seen from the frame `placement` maps the joint frame into: (R u; t x R u)
  SpatialMotion act(const SE3& placement) const {
    const Vector3D w = placement.rotation * u;
    return motion_from_parts(w, placement.translation.cross(w));
  }
};

// S = (0; a): translation along a.
struct TranslationAxis {
  Vector3D a;

  void add_to(SpatialMotion& m, double x) const { m.tail<3>() += x * a; }
  double dot(const SpatialForce& f) const { return a.dot(f.tail<3>()); }
  // m += v x (S x) = (0; w x a x)
  void add_cross(SpatialMotion& m, const SpatialMotion& v, double x) const {
    const Vector3D w = v.head<3>();
    m.tail<3>() += w.cross(x * a);
  }
  // (0; R a)
  SpatialMotion act(const SE3& placement) const {
    return motion_from_parts(Vector3D::Zero(), placement.rotation * a);
  }
};

}  // namespace kinetra
