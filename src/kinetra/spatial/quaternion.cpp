#include "kinetra/spatial/quaternion.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kinetra {

double stored_quaternion_norm(const double* q) {
  const Eigen::Map<const Eigen::Vector4d> values(q);
  if (values.hasNaN()) return std::nan("");
  const double scale = values.cwiseAbs().maxCoeff();
  if (scale == 0.0 || !std::isfinite(scale)) return scale;
  return scale * (values / scale).norm();
}

Quaternion read_quaternion(const double* q) {
  const Eigen::Map<const Eigen::Vector4d> values(q);
  // scaling by the largest entry first keeps the squared norm a normal number
  const Eigen::Vector4d scaled = values / values.cwiseAbs().maxCoeff();
  Quaternion r;
  r.coeffs() = scaled.normalized();
  return r;
}

Quaternion quaternion_exp(const Vector3D& w) {
  const double angle = w.norm();
  const double half = 0.5 * angle;
  // sin(a / 2) / a, by its series near 0
  const double k = angle < 1e-4 ? 0.5 - angle * angle / 48.0 : std::sin(half) / angle;
  Quaternion r;
  r.vec() = k * w;
  r.w() = std::cos(half);
  return r;
}

Vector3D quaternion_log(const Quaternion& r) {
  // q and -q are the same rotation: take the one with w >= 0, the turn of at most pi
  const double sign = r.w() < 0.0 ? -1.0 : 1.0;
  const Vector3D vec = sign * r.vec();
  const double w = sign * r.w();
  const double s = vec.norm();
  const double angle = 2.0 * std::atan2(s, w);
  // angle / sin(angle / 2), by its series near 0
  const double k = s < 1e-8 ? 2.0 / w : angle / s;
  return k * vec;
}

Quaternion random_quaternion(Rng& rng) {
  // uniform on the unit sphere of R^4 (Shoemake's subgroup algorithm)
  const double u1 = uniform01(rng), u2 = uniform01(rng), u3 = uniform01(rng);
  const double a = std::sqrt(1.0 - u1), b = std::sqrt(u1);
  const double t2 = 2.0 * std::numbers::pi * u2, t3 = 2.0 * std::numbers::pi * u3;
  Quaternion r;
  r.coeffs() << a * std::sin(t2), a * std::cos(t2), b * std::sin(t3), b * std::cos(t3);
  return r;
}

}  // namespace kinetra
