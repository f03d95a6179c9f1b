#pragma once

#include <Eigen/Core>
#include <span>
#include <string>
#include <vector>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// Loads the NumPy C API; call once from the module's init. Returns false with an error set.
bool import_numpy();

// A float64 ndarray argument, read by logical index whatever its memory layout. It only
// borrows the array's own shape, strides and data: nothing is allocated.
class ArrayView {
 public:
  // Accepts only an ndarray of native float64 with `ndim` dimensions (any when ndim < 0);
  // otherwise raises the conversion TypeError naming `parameter` and returns false.
  static bool from_object(PyObject* obj, int ndim, const char* parameter, ArrayView& out);

  int ndim() const { return ndim_; }
  Py_ssize_t dim(int axis) const { return shape_[axis]; }
  Py_ssize_t size() const;
  // "[3, 4]"
  std::string shape_text() const;
  // true when the elements are adjacent in memory in logical order
  bool is_contiguous() const;
  // true when, besides, they can be read in place as doubles
  bool is_contiguous_and_aligned() const { return aligned_ && is_contiguous(); }
  const double* data() const { return reinterpret_cast<const double*>(data_); }

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
  int ndim_ = 0;
  const Py_ssize_t* shape_ = nullptr;
  const Py_ssize_t* strides_ = nullptr;
  bool aligned_ = false;
};

// The elements of an array in logical row-major order, read in place when the array is
// contiguous and aligned, copied otherwise. Lives for the length of the call that reads it.
class FlatValues {
 public:
  explicit FlatValues(const ArrayView& array);
  FlatValues(const FlatValues&) = delete;
  FlatValues& operator=(const FlatValues&) = delete;

  Eigen::Map<const Eigen::VectorXd> map() const { return {data_, size_}; }

 private:
  Eigen::VectorXd copy_;
  const double* data_;
  Eigen::Index size_;
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
