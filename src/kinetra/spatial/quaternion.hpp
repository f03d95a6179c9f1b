#pragma once

#include <Eigen/Geometry>

#include "kinetra/export.hpp"
#include "kinetra/spatial/random.hpp"
#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// Unit quaternions stored as four values (x, y, z, w), scalar last (Eigen's coefficient order).
using Quaternion = Eigen::Quaterniond;

// |q| of the four stored values, computed without overflow or underflow; NaN if any is NaN.
KINETRA_API double stored_quaternion_norm(const double* q);

// The rotation the stored values describe, scaled to unit norm; the norm must be finite and
// non-zero.
KINETRA_API Quaternion read_quaternion(const double* q);

// Writes the unit quaternion as (x, y, z, w).
inline void write_quaternion(const Quaternion& r, double* q) {
  Eigen::Map<Eigen::Vector4d> values(q);
  values = r.coeffs();
}

// The rotation by the rotation vector w: |w| radians about w / |w|.
KINETRA_API Quaternion quaternion_exp(const Vector3D& w);

// The rotation vector of the shorter turn r describes (|result| <= pi).
KINETRA_API Vector3D quaternion_log(const Quaternion& r);

// A rotation uniform on the rotation group.
KINETRA_API Quaternion random_quaternion(Rng& rng);

}  // namespace kinetra
