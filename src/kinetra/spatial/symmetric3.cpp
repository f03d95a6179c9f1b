#include "kinetra/spatial/symmetric3.hpp"

namespace kinetra {

namespace {
// storage index of full-matrix element (row, col)
constexpr int kIndex[3][3] = {{0, 3, 4}, {3, 1, 5}, {4, 5, 2}};
}  // namespace

Symmetric3 Symmetric3::skew_square(const Vector3D& v) {
  const double x = v.x(), y = v.y(), z = v.z();
  return {{-(y * y + z * z), -(x * x + z * z), -(x * x + y * y), x * y, x * z, y * z}};
}

Symmetric3 Symmetric3::from_matrix(const Eigen::Matrix3d& m) {
  return {{m(0, 0), m(1, 1), m(2, 2), m(0, 1), m(0, 2), m(1, 2)}};
}

double Symmetric3::operator()(int row, int col) const { return data[kIndex[row][col]]; }

Eigen::Matrix3d Symmetric3::to_matrix() const {
  Eigen::Matrix3d m;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m(r, c) = (*this)(r, c);
  }
  return m;
}

Symmetric3 Symmetric3::rotate(const SpatialRotation& r) const {
  return from_matrix(r * to_matrix() * r.transpose());
}

Symmetric3 Symmetric3::operator*(double k) const {
  Symmetric3 out;
  for (int i = 0; i < 6; ++i) out.data[i] = data[i] * k;
  return out;
}

Symmetric3 Symmetric3::operator+(const Symmetric3& other) const {
  Symmetric3 out;
  for (int i = 0; i < 6; ++i) out.data[i] = data[i] + other.data[i];
  return out;
}

Symmetric3 Symmetric3::operator-(const Symmetric3& other) const {
  Symmetric3 out;
  for (int i = 0; i < 6; ++i) out.data[i] = data[i] - other.data[i];
  return out;
}

}  // namespace kinetra
