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

}  // namespace kinetra
