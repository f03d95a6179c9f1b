#include "kinetra/inertia/inertia.hpp"

#include "kinetra/inertia/origin_inertia.hpp"

#include <algorithm>
#include <limits>

namespace kinetra {

std::expected<Inertia, InertiaError> Inertia::from_ellipsoid(double mass, double x, double y,
                                                             double z) {
  // written so that NaN fails too
  if (!(mass > 0.0)) return std::unexpected(InertiaError{"mass"});
  if (!(x > 0.0)) return std::unexpected(InertiaError{"x"});
  if (!(y > 0.0)) return std::unexpected(InertiaError{"y"});
  if (!(z > 0.0)) return std::unexpected(InertiaError{"z"});
  Inertia out;
  out.mass = mass;
  out.inertia.data = {mass * (y * y + z * z) / 5.0,
                      mass * (x * x + z * z) / 5.0,
                      mass * (x * x + y * y) / 5.0,
                      0.0,
                      0.0,
                      0.0};
  return out;
}

Inertia Inertia::operator+(const Inertia& other) const {
  const double total = mass + other.mass;
  const double k = 1.0 / std::max(total, std::numeric_limits<double>::epsilon());
  const Vector3D d = com - other.com;
  Inertia out;
  out.mass = total;
  out.com = (mass * com + other.mass * other.com) * k;
  // parallel-axis terms: (m1 m2 / (m1 + m2)) (|d|^2 I - d d^T)
  out.inertia = inertia + other.inertia - Symmetric3::skew_square(d) * (mass * other.mass * k);
  return out;
}

SpatialTransform Inertia::matrix() const { return OriginInertia(*this).matrix(); }

DebugValue debug_value(const Inertia& inertia) {
  std::vector<DebugValue> com, data;
  for (double x : inertia.com) com.push_back(DebugValue::number(x));
  for (double x : inertia.inertia.data) data.push_back(DebugValue::number(x));
  return DebugValue::record(
      "Inertia",
      {{"mass", DebugValue::number(inertia.mass)},
       {"com", DebugValue::tuple("Vector3D", {DebugValue::list({DebugValue::list(com)})})},
       {"inertia", DebugValue::record("Symmetric3", {{"data", DebugValue::list(data)}})}});
}

}  // namespace kinetra
