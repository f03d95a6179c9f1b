#pragma once

#include <expected>
#include <string>

#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/symmetric3.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// A non-positive parameter given to a validating constructor.
struct InertiaError {
  std::string parameter;  // "mass", "x", "y" or "z"

  std::string display() const { return "Invalid parameter: '" + parameter + "' must be positive."; }
  std::string debug() const { return "InertiaError: " + display(); }
};

// Mass distribution of one rigid body.
struct Inertia {
  double mass = 0.0;
  Vector3D com = Vector3D::Zero();          // centre of mass, body frame
  Symmetric3 inertia = Symmetric3::zero();  // rotational inertia about the com

  static Inertia zeros() { return {}; }
  // Solid ellipsoid with semi-axes x, y, z along the frame axes, centred at the origin.
  static std::expected<Inertia, InertiaError> from_ellipsoid(double mass, double x, double y,
                                                             double z);
  static std::expected<Inertia, InertiaError> from_sphere(double mass, double radius) {
    return from_ellipsoid(mass, radius, radius, radius);
  }

  // The two bodies rigidly joined.
  Inertia operator+(const Inertia& other) const;
  Inertia& operator+=(const Inertia& other) { return *this = *this + other; }

  // The same body expressed in the frame that `placement` maps body coordinates into.
  Inertia act(const SE3& placement) const;

  // Spatial momentum (n; f) of the body moving with `motion` (w; v), both at the frame origin:
  // f = m (v - c x w), n = I w + c x f.
  SpatialForce operator*(const SpatialMotion& motion) const;

  // The 6x6 spatial inertia matrix at the frame origin, acting on (w; v).
  SpatialTransform matrix() const;
};

// Inertia { mass: M, com: Vector3D([[x, y, z]]), inertia: Symmetric3 { data: [...] } }
DebugValue debug_value(const Inertia& inertia);

}  // namespace kinetra
