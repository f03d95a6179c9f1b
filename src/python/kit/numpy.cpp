#include "python/kit/numpy.hpp"

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
  out.data_ = PyArray_BYTES(array);
  out.shape_.assign(PyArray_DIMS(array), PyArray_DIMS(array) + PyArray_NDIM(array));
  out.strides_.assign(PyArray_STRIDES(array), PyArray_STRIDES(array) + PyArray_NDIM(array));
  return true;
}

Py_ssize_t ArrayView::size() const {
  Py_ssize_t n = 1;
  for (Py_ssize_t d : shape_) n *= d;
  return n;
}

std::string ArrayView::shape_text() const {
  std::string out = "[";
  for (std::size_t i = 0; i < shape_.size(); ++i) {
    if (i > 0) out += ", ";
    out += std::to_string(shape_[i]);
  }
  return out + "]";
}

bool ArrayView::is_contiguous() const {
  Py_ssize_t expected = sizeof(double);
  for (std::size_t k = shape_.size(); k-- > 0;) {
    if (shape_[k] == 1) continue;
    if (strides_[k] != expected) return false;
    expected *= shape_[k];
  }
  return true;
}

Eigen::VectorXd ArrayView::flatten() const {
  Eigen::VectorXd out(size());
  if (out.size() == 0) return out;
  std::vector<Py_ssize_t> index(shape_.size(), 0);
  for (Eigen::Index n = 0; n < out.size(); ++n) {
    const char* p = data_;
    for (std::size_t k = 0; k < shape_.size(); ++k) p += index[k] * strides_[k];
    out[n] = read(p);
    for (std::size_t k = shape_.size(); k-- > 0;) {
      if (++index[k] < shape_[k]) break;
      index[k] = 0;
    }
  }
  return out;
}

PyObject* new_array(std::span<const Py_ssize_t> shape, const double* row_major_values) {
  std::vector<npy_intp> dims(shape.begin(), shape.end());
  PyObject* array = PyArray_SimpleNew(static_cast<int>(dims.size()), dims.data(), NPY_DOUBLE);
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
