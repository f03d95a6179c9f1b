#include "kinetra/spatial/se3.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

SE3 SE3::random(Rng& rng) {
  double u[6];
  for (double& x : u) x = 2.0 * uniform01(rng) - 1.0;
  SE3 m;
  m.translation = Vector3D(u[0], u[1], u[2]);
  const Vector3D a(u[3], u[4], u[5]);
  const double sq = a.dot(a);
  if (sq != 0.0) {
    const double angle = std::sqrt(sq);
    m.rotation = rotation_from_axis_angle(a / angle, angle);
  }
  return m;
}

SpatialTransform SE3::action() const {
  SpatialTransform x = SpatialTransform::Zero();
  x.topLeftCorner<3, 3>() = rotation;
  x.topRightCorner<3, 3>() = skew(translation) * rotation;
  x.bottomRightCorner<3, 3>() = rotation;
  return x;
}

namespace {

bool close_to(double entry, double target) {
  if (entry == target) return true;
  if (!std::isfinite(entry)) return false;
  const double diff = std::abs(entry - target);
  return diff <= 1e-6 || diff <= std::max(std::abs(entry), std::abs(target)) *
                                     std::numeric_limits<double>::epsilon();
}

}  // namespace

bool is_orthogonal(const SpatialRotation& r) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (!close_to(r.col(i).dot(r.col(j)), i == j ? 1.0 : 0.0)) return false;
    }
  }
  return true;
}

}  // namespace kinetra
