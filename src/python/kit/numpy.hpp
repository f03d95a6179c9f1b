#pragma once

#include <Eigen/Core>
#include <array>
#include <memory>
#include <span>
#include <string>

#include "python/kit/error.hpp"
#include "python/kit/ref.hpp"

namespace kinetra::python {

// Loads the NumPy C API; call once from the module's init. Returns false with an error set.
bool import_numpy();

// Native float64 values read by logical index whatever their memory layout. It only borrows
// the array's own shape, strides and data: nothing is allocated.
class ArrayView {
 public:
  ArrayView(const char* data, int ndim, const Py_ssize_t* shape, const Py_ssize_t* strides,
            bool aligned)
      : data_(data), ndim_(ndim), shape_(shape), strides_(strides), aligned_(aligned) {}
  // `array` must be an ndarray of native float64.
  explicit ArrayView(PyObject* array);

  Py_ssize_t size() const { return ndim_ == 1 ? shape_[0] : size_of_any_shape(); }
  // true when the elements are adjacent in memory in logical order
  bool is_contiguous() const {
    if (ndim_ == 1) return shape_[0] <= 1 || strides_[0] == sizeof(double);
    return is_contiguous_of_any_shape();
  }
  // true when, besides, they can be read in place as doubles
  bool is_contiguous_and_aligned() const { return aligned_ && is_contiguous(); }
  const double* data() const { return reinterpret_cast<const double*>(data_); }

  double at(Py_ssize_t i) const { return read(data_ + i * strides_[0]); }
  double at(Py_ssize_t i, Py_ssize_t j) const {
    return read(data_ + i * strides_[0] + j * strides_[1]);
  }
  // every element in logical row-major order
  Eigen::VectorXd flatten() const;
  // the same, written to `out` (size() values)
  void copy_to(double* out) const;

 private:
  Py_ssize_t size_of_any_shape() const;
  bool is_contiguous_of_any_shape() const;

  static double read(const char* p) {
    double x;
    __builtin_memcpy(&x, p, sizeof x);
    return x;
  }

  const char* data_;
  int ndim_;
  const Py_ssize_t* shape_;
  const Py_ssize_t* strides_;
  bool aligned_;
};

// An array parameter: anything NumPy converts to float64 without loss of meaning (float64,
// float32, integer and bool arrays in any layout and byte order, nested lists and tuples of
// numbers). Its shape is known as soon as it is loaded, before any value is converted or
// copied, so callers check the shape first and read the values after.
class ArrayArg {
 public:
  // leaves shape and strides uninitialised: loading sets them (zeroing would cost every call)
  ArrayArg() {}
  ArrayArg(const ArrayArg&) = delete;
  ArrayArg& operator=(const ArrayArg&) = delete;

  // Takes the shape of `obj` without converting it; refuses (with the conversion TypeError
  // naming `parameter`) anything that is not an array of a kind convertible to float64 or whose
  // dimension count is not `ndim` (any when ndim < 0).
  static bool from_object(PyObject* obj, int ndim, const char* parameter, ArrayArg& out);

  int ndim() const { return ndim_; }
  Py_ssize_t dim(int axis) const { return shape_[static_cast<std::size_t>(axis)]; }
  // the element count, saturated at PY_SSIZE_T_MAX
  Py_ssize_t size() const { return ndim_ == 1 ? shape_[0] : size_of_any_shape(); }
  // "[3, 4]"
  std::string shape_text() const;

  // The values: read in place for an ndarray of native float64, converted once otherwise; the
  // conversion TypeError when the elements turn out not to convert (ragged or mixed lists).
  Result<ArrayView> values() const {
    if (native_data_)
      return ArrayView(native_data_, ndim_, shape_.data(), strides_.data(), aligned_);
    return converted_values();
  }

 private:
  bool take_object(PyObject* obj, int ndim);
  bool take_array(PyObject* array, int ndim);
  Py_ssize_t size_of_any_shape() const;
  Result<ArrayView> converted_values() const;

  static constexpr int max_dims = 64;

  PyObject* source_ = nullptr;  // the argument, borrowed
  mutable Ref converted_;       // an ndarray made from the argument, when it is not one
  const char* parameter_ = "";
  // Copies, not the ndarray's own: code run by the conversion of other arguments may reshape
  // the ndarray (which frees its shape and strides), never move its data.
  int ndim_ = 0;
  std::array<Py_ssize_t, max_dims> shape_;
  std::array<Py_ssize_t, max_dims> strides_;
  const char* native_data_ = nullptr;  // native float64 values read in place, if any
  bool aligned_ = false;
};

// The elements of an array in logical row-major order, read in place when the array is
// contiguous and aligned, copied otherwise. Lives for the length of the call that reads it.
class FlatValues {
 public:
  FlatValues() = default;
  explicit FlatValues(const ArrayView& array) { assign(array); }
  // reads `array` instead of what it read before
  void assign(const ArrayView& array) {
    data_ = array.data();
    size_ = array.size();
    if (!array.is_contiguous_and_aligned()) copy(array);
  }
  // holds a copy of `values` instead of what it read before
  void assign(const Eigen::VectorXd& values);
  FlatValues(FlatValues&&) = default;
  FlatValues& operator=(FlatValues&&) = default;

  Eigen::Map<const Eigen::VectorXd> map() const { return {data_, size_}; }

 private:
  void copy(const ArrayView& array);

  std::unique_ptr<double[]> copy_;  // moving it keeps its buffer, so data_ stays valid
  const double* data_ = nullptr;
  Eigen::Index size_ = 0;
};

// A float64 parameter array with a fixed number of dimensions (-1: any).
template <int Dims>
struct Array : ArrayArg {
  Array() {}  // see ArrayArg()
};

// New float64 arrays, C order.
PyObject* new_array(std::span<const Py_ssize_t> shape, const double* row_major_values);
// The same over the values in `storage`, read as row-major (a symmetric matrix's column-major
// storage is). Large ones are taken over, not copied: the array keeps them alive.
PyObject* new_array(std::span<const Py_ssize_t> shape, Eigen::MatrixXd&& storage);
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
