#pragma once

#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// The motion S of a single-axis joint per unit of its velocity coordinate, as the products the
// algorithms need. One half of S is zero, and the products skip it.

// S = (u; 0): rotation about the unit axis u.
struct RotationAxis {
  Vector3D u;

  // m += S x
  void add_to(SplitVector& m, double x) const { m.angular += x * u; }
  // S^T f = u . n
  double dot(const SplitVector& f) const { return u.dot(f.angular); }
  // m += v x (S x) = (w x u x; v x u x)
  void add_cross(SplitVector& m, const SplitVector& v, double x) const {
    const Vector3D ux = x * u;
    m.angular += v.angular.cross(ux);
    m.linear += v.linear.cross(ux);
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

  void add_to(SplitVector& m, double x) const { m.linear += x * a; }
  double dot(const SplitVector& f) const { return a.dot(f.linear); }
  // m += v x (S x) = (0; w x a x)
  void add_cross(SplitVector& m, const SplitVector& v, double x) const {
    m.linear += v.angular.cross(x * a);
  }
  // (0; R a)
  SpatialMotion act(const SE3& placement) const {
    return motion_from_parts(Vector3D::Zero(), placement.rotation * a);
  }
};

}  // namespace kinetra
