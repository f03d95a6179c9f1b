#pragma once

#include <Eigen/Core>
#include <span>
#include <string>
#include <vector>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// Loads the NumPy C API; call once from the module's init. Returns false with an error set.
bool import_numpy();

// A float64 ndarray argument, read by logical index whatever its memory layout.
class ArrayView {
 public:
  // Accepts only an ndarray of native float64 with `ndim` dimensions (any when ndim < 0);
  // otherwise raises the conversion TypeError naming `parameter` and returns false.
  static bool from_object(PyObject* obj, int ndim, const char* parameter, ArrayView& out);

  int ndim() const { return static_cast<int>(shape_.size()); }
  Py_ssize_t dim(int axis) const { return shape_[axis]; }
  Py_ssize_t size() const;
  // "[3, 4]"
  std::string shape_text() const;
  // true when the elements are adjacent in memory in logical order
  bool is_contiguous() const;

  double at(Py_ssize_t i) const { return read(data_ + i * strides_[0]); }
  double at(Py_ssize_t i, Py_ssize_t j) const {
    return read(data_ + i * strides_[0] + j * strides_[1]);
  }
  // every element in logical row-major order
  Eigen::VectorXd flatten() const;

 private:
  static double read(const char* p) {
    double x;
    __builtin_memcpy(&x, p, sizeof x);
    return x;
  }

  const char* data_ = nullptr;
  std::vector<Py_ssize_t> shape_;
  std::vector<Py_ssize_t> strides_;
};

// A float64 parameter array with a fixed number of dimensions (-1: any).
template <int Dims>
struct Array : ArrayView {};

// New float64 arrays, C order.
PyObject* new_array(std::span<const Py_ssize_t> shape, const double* row_major_values);
PyObject* new_float32_array(std::span<const float> values);

template <class Derived>
PyObject* to_numpy(const Eigen::MatrixBase<Derived>& m) {
  if constexpr (Derived::ColsAtCompileTime == 1) {
    const Eigen::VectorXd values = m;
    const Py_ssize_t shape[1] = {values.size()};
    return new_array(shape, values.data());
  } else {
    const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor> values = m;
    const Py_ssize_t shape[2] = {values.rows(), values.cols()};
    return new_array(shape, values.data());
  }
}

}  // namespace kinetra::python
