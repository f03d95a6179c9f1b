#include "kinetra/spatial/symmetric3.hpp"

namespace kinetra {

namespace {
// storage index of full-matrix element (row, col)
constexpr int kIndex[3][3] = {{0, 3, 4}, {3, 1, 5}, {4, 5, 2}};
}  // namespace

Symmetric3 Symmetric3::from_matrix(const Eigen::Matrix3d& m) {
  return {{m(0, 0), m(1, 1), m(2, 2), m(0, 1), m(0, 2), m(1, 2)}};
}

double Symmetric3::operator()(int row, int col) const { return data[kIndex[row][col]]; }

Eigen::Matrix3d Symmetric3::to_matrix() const {
  const auto& d = data;
  Eigen::Matrix3d m;
  m << d[0], d[3], d[4], d[3], d[1], d[5], d[4], d[5], d[2];
  return m;
}

Symmetric3 Symmetric3::rotate(const SpatialRotation& r) const {
  // the upper triangle of (R S) R^T
  const Eigen::Matrix3d rs = r * to_matrix();
  const auto entry = [&](int i, int j) { return rs.row(i).dot(r.row(j)); };
  return {{entry(0, 0), entry(1, 1), entry(2, 2), entry(0, 1), entry(0, 2), entry(1, 2)}};
}

}  // namespace kinetra
