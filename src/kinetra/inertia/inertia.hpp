#pragma once

#include <expected>
#include <string>

#include "kinetra/export.hpp"
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
struct KINETRA_API Inertia {
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
  Inertia act(const SE3& placement) const {
    return {mass, placement.act_point(com), inertia.rotate(placement.rotation)};
  }

  // Spatial momentum (n; f) of the body moving with `motion` (w; v), both at the frame origin:
  // f = m (v - c x w), n = I w + c x f.
  SpatialForce operator*(const SpatialMotion& motion) const {
    const Vector3D w = motion.head<3>(), v = motion.tail<3>();
    const Vector3D f = mass * (v - com.cross(w));
    return motion_from_parts(inertia * w + com.cross(f), f);
  }

  // The rate of change of that momentum, I a + v x* (I v), for the velocity `motion` and the
  // acceleration `acceleration` (w'; a) at the frame origin. At the centre of mass, where the
  // inertia is block diagonal, it is (I w' + w x I w; m (a_c + w x v_c)) with the com point's
  // v_c = v - c x w and a_c = a - c x w'; moved to the origin, n gains c x f.
  SplitVector momentum_rate(const SplitVector& motion, const SplitVector& acceleration) const {
    const Vector3D &w = motion.angular, &dw = acceleration.angular;
    const Vector3D v_c = motion.linear - com.cross(w);
    const Vector3D a_c = acceleration.linear - com.cross(dw);
    const Vector3D f = mass * (a_c + w.cross(v_c));
    return {inertia * dw + w.cross(inertia * w) + com.cross(f), f};
  }

  // The 6x6 spatial inertia matrix at the frame origin, acting on (w; v).
  SpatialTransform matrix() const;
};

// Inertia { mass: M, com: Vector3D([[x, y, z]]), inertia: Symmetric3 { data: [...] } }
KINETRA_API DebugValue debug_value(const Inertia& inertia);

}  // namespace kinetra
