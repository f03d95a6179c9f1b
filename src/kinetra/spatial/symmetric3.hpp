#pragma once

#include <array>
#include <cstddef>

#include "kinetra/export.hpp"
#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// Symmetric 3x3 matrix stored as m11, m22, m33, m12, m13, m23.
struct KINETRA_API Symmetric3 {
  std::array<double, 6> data{};

  static Symmetric3 zero() { return {}; }
  static Symmetric3 identity() { return {{1, 1, 1, 0, 0, 0}}; }
  // [v]x [v]x = v v^T - (v.v) I
  static Symmetric3 skew_square(const Vector3D& v) {
    const double x = v.x(), y = v.y(), z = v.z();
    return {{-(y * y + z * z), -(x * x + z * z), -(x * x + y * y), x * y, x * z, y * z}};
  }
  static Symmetric3 from_matrix(const Eigen::Matrix3d& m);

  // Full-matrix element (row, col), both below 3.
  double operator()(int row, int col) const;
  Eigen::Matrix3d to_matrix() const {
    const auto& d = data;
    Eigen::Matrix3d m;
    m << d[0], d[3], d[4], d[3], d[1], d[5], d[4], d[5], d[2];
    return m;
  }
  // R S R^T: the upper triangle of (R S) R^T
  Symmetric3 rotate(const SpatialRotation& r) const {
    const Eigen::Matrix3d rs = r * to_matrix();
    const auto entry = [&](int i, int j) { return rs.row(i).dot(r.row(j)); };
    return {{entry(0, 0), entry(1, 1), entry(2, 2), entry(0, 1), entry(0, 2), entry(1, 2)}};
  }

  Vector3D operator*(const Vector3D& v) const {
    const auto& m = data;
    return {m[0] * v.x() + m[3] * v.y() + m[4] * v.z(), m[3] * v.x() + m[1] * v.y() + m[5] * v.z(),
            m[4] * v.x() + m[5] * v.y() + m[2] * v.z()};
  }
  Symmetric3 operator*(double k) const {
    Symmetric3 out;
    for (std::size_t i = 0; i < 6; ++i) out.data[i] = data[i] * k;
    return out;
  }
  Symmetric3 operator+(const Symmetric3& other) const {
    Symmetric3 out;
    for (std::size_t i = 0; i < 6; ++i) out.data[i] = data[i] + other.data[i];
    return out;
  }
  Symmetric3 operator-(const Symmetric3& other) const {
    Symmetric3 out;
    for (std::size_t i = 0; i < 6; ++i) out.data[i] = data[i] - other.data[i];
    return out;
  }
};

}  // namespace kinetra
