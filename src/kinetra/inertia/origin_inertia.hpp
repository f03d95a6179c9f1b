#pragma once

#include "kinetra/inertia/inertia.hpp"

namespace kinetra {

// A rigid-body inertia about its frame origin in linear parameters: the mass m, the first moment
// h = m c and the rotational inertia about the origin I_o = I_c - m [c]x [c]x. Bodies joined
// together have the plain sum of their parameters.
struct OriginInertia {
  double mass = 0.0;
  Vector3D first_moment = Vector3D::Zero();
  Symmetric3 rotational = Symmetric3::zero();

  OriginInertia() = default;
  explicit OriginInertia(const Inertia& body)
      : mass(body.mass),
        first_moment(body.mass * body.com),
        rotational(body.inertia - Symmetric3::skew_square(body.com) * body.mass) {}

  OriginInertia& operator+=(const OriginInertia& other) {
    mass += other.mass;
    first_moment += other.first_moment;
    rotational = rotational + other.rotational;
    return *this;
  }

  // Spatial momentum of the motion (w; v) at the origin: (I_o w + h x v; m v - h x w).
  SpatialForce operator*(const SpatialMotion& motion) const {
    const Vector3D w = motion.head<3>(), v = motion.tail<3>();
    return motion_from_parts(rotational * w + first_moment.cross(v),
                             mass * v - first_moment.cross(w));
  }

  // The 6x6 matrix [[I_o, [h]x], [-[h]x, m 1]] acting on (w; v).
  SpatialTransform matrix() const {
    const auto& r = rotational.data;
    const double hx = first_moment.x(), hy = first_moment.y(), hz = first_moment.z();
    SpatialTransform x;
    x << r[0], r[3], r[4], 0, -hz, hy,  //
        r[3], r[1], r[5], hz, 0, -hx,   //
        r[4], r[5], r[2], -hy, hx, 0,   //
        0, hz, -hy, mass, 0, 0,         //
        -hz, 0, hx, 0, mass, 0,         //
        hy, -hx, 0, 0, 0, mass;
    return x;
  }
};

}  // namespace kinetra
