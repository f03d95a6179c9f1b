#include "python/kit/numpy.hpp"

#include <algorithm>
#include <cstring>

#include "python/kit/error.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_ARRAY_API
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

namespace kinetra::python {

bool import_numpy() {
  if (_import_array() < 0) return false;
  return true;
}

bool ArrayView::from_object(PyObject* obj, int ndim, const char* parameter, ArrayView& out) {
  constexpr const char* target = "PyArray<T, D>";
  if (!PyArray_Check(obj)) return raise_conversion_error(parameter, obj, target), false;
  auto* array = reinterpret_cast<PyArrayObject*>(obj);
  PyArray_Descr* descr = PyArray_DESCR(array);
  if (descr->type_num != NPY_DOUBLE || !PyArray_ISNOTSWAPPED(array) ||
      (ndim >= 0 && PyArray_NDIM(array) != ndim)) {
    return raise_conversion_error(parameter, obj, target), false;
  }
  static_assert(sizeof(npy_intp) == sizeof(Py_ssize_t));
  out.data_ = PyArray_BYTES(array);
  out.ndim_ = PyArray_NDIM(array);
  out.shape_ = reinterpret_cast<const Py_ssize_t*>(PyArray_DIMS(array));
  out.strides_ = reinterpret_cast<const Py_ssize_t*>(PyArray_STRIDES(array));
  out.aligned_ = PyArray_ISALIGNED(array);
  return true;
}

Py_ssize_t ArrayView::size() const {
  Py_ssize_t n = 1;
  for (int k = 0; k < ndim_; ++k) n *= shape_[k];
  return n;
}

std::string ArrayView::shape_text() const {
  std::string out = "[";
  for (int i = 0; i < ndim_; ++i) {
    if (i > 0) out += ", ";
    out += std::to_string(shape_[i]);
  }
  return out + "]";
}

bool ArrayView::is_contiguous() const {
  Py_ssize_t expected = sizeof(double);
  for (int k = ndim_; k-- > 0;) {
    if (shape_[k] == 1) continue;
    if (strides_[k] != expected) return false;
    expected *= shape_[k];
  }
  return true;
}

Eigen::VectorXd ArrayView::flatten() const {
  Eigen::VectorXd out(size());
  if (out.size() == 0) return out;
  Py_ssize_t index[NPY_MAXDIMS] = {};
  for (Eigen::Index n = 0; n < out.size(); ++n) {
    const char* p = data_;
    for (int k = 0; k < ndim_; ++k) p += index[k] * strides_[k];
    out[n] = read(p);
    for (int k = ndim_; k-- > 0;) {
      if (++index[k] < shape_[k]) break;
      index[k] = 0;
    }
  }
  return out;
}

FlatValues::FlatValues(const ArrayView& array) : size_(array.size()) {
  if (array.is_contiguous_and_aligned()) {
    data_ = array.data();
  } else {
    copy_ = array.flatten();
    data_ = copy_.data();
  }
}

PyObject* new_array(std::span<const Py_ssize_t> shape, const double* row_major_values) {
  npy_intp dims[NPY_MAXDIMS];
  std::copy(shape.begin(), shape.end(), dims);
  PyObject* array = PyArray_SimpleNew(static_cast<int>(shape.size()), dims, NPY_DOUBLE);
  if (!array) return nullptr;
  const auto n = PyArray_SIZE(reinterpret_cast<PyArrayObject*>(array));
  if (n > 0) {
    std::memcpy(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array)), row_major_values,
                static_cast<std::size_t>(n) * sizeof(double));
  }
  return array;
}

PyObject* new_float32_array(std::span<const float> values) {
  npy_intp dims[1] = {static_cast<npy_intp>(values.size())};
  PyObject* array = PyArray_SimpleNew(1, dims, NPY_FLOAT32);
  if (!array) return nullptr;
  std::memcpy(PyArray_DATA(reinterpret_cast<PyArrayObject*>(array)), values.data(),
              values.size() * sizeof(float));
  return array;
}

}  // namespace kinetra::python
