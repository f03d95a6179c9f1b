#include "python/kit/numpy.hpp"

#include <algorithm>
#include <cstring>

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_ARRAY_API
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

namespace kinetra::python {
namespace {

constexpr const char* array_target = "PyArray<T, D>";

PyArrayObject* as_array(PyObject* obj) { return reinterpret_cast<PyArrayObject*>(obj); }

bool is_number(PyObject* obj) {
  return PyFloat_Check(obj) || PyLong_Check(obj) || PyArray_IsScalar(obj, Integer) ||
         PyArray_IsScalar(obj, Floating) || PyArray_IsScalar(obj, Bool);
}

// The shape of nested lists and tuples, read along their first elements, when the first leaf
// is a number or an ndarray; false for any other leaf.
bool list_shape(PyObject* obj, Py_ssize_t* shape, int& ndim) {
  PyObject* item = obj;
  ndim = 0;
  while (PyList_Check(item) || PyTuple_Check(item)) {
    if (ndim == NPY_MAXDIMS) return false;
    const Py_ssize_t n = PySequence_Fast_GET_SIZE(item);
    shape[ndim++] = n;
    if (n == 0) return true;
    item = PySequence_Fast_GET_ITEM(item, 0);
  }
  if (PyArray_Check(item)) {
    const int item_ndim = PyArray_NDIM(as_array(item));
    if (ndim + item_ndim > NPY_MAXDIMS) return false;
    std::copy_n(PyArray_DIMS(as_array(item)), item_ndim, shape + ndim);
    ndim += item_ndim;
    return true;
  }
  return is_number(item);
}

bool is_native_float64(PyArrayObject* array) {
  return PyArray_TYPE(array) == NPY_DOUBLE && PyArray_ISNOTSWAPPED(array);
}

bool has_shape(PyArrayObject* array, const Py_ssize_t* shape, int ndim) {
  return PyArray_NDIM(array) == ndim && std::equal(shape, shape + ndim, PyArray_DIMS(array));
}

bool converts_to_float64(PyArrayObject* array) {
  PyArray_Descr* descr = PyArray_DESCR(array);
  if (descr->type_num == NPY_DOUBLE) return true;
  Ref float64(reinterpret_cast<PyObject*>(PyArray_DescrFromType(NPY_DOUBLE)));
  return PyArray_CanCastTypeTo(descr, reinterpret_cast<PyArray_Descr*>(float64.get()),
                               NPY_SAME_KIND_CASTING);
}

// NumPy's own TypeError or ValueError from a conversion; other errors (MemoryError,
// KeyboardInterrupt) pass unchanged.
bool is_conversion_failure() {
  return PyErr_ExceptionMatches(PyExc_TypeError) || PyErr_ExceptionMatches(PyExc_ValueError);
}

}  // namespace

static_assert(NPY_MAXDIMS <= 64, "ArrayArg::max_dims holds every ndarray's shape");

bool import_numpy() {
  if (_import_array() < 0) return false;
  return true;
}

static_assert(sizeof(npy_intp) == sizeof(Py_ssize_t));

ArrayView::ArrayView(PyObject* obj)
    : ArrayView(PyArray_BYTES(as_array(obj)), PyArray_NDIM(as_array(obj)),
                reinterpret_cast<const Py_ssize_t*>(PyArray_DIMS(as_array(obj))),
                reinterpret_cast<const Py_ssize_t*>(PyArray_STRIDES(as_array(obj))),
                PyArray_ISALIGNED(as_array(obj))) {}

Py_ssize_t ArrayView::size_of_any_shape() const {
  Py_ssize_t n = 1;
  for (int k = 0; k < ndim_; ++k) n *= shape_[k];
  return n;
}

bool ArrayView::is_contiguous_of_any_shape() const {
  Py_ssize_t expected = sizeof(double);
  for (int k = ndim_; k-- > 0;) {
    if (shape_[k] == 1) continue;
    if (strides_[k] != expected) return false;
    expected *= shape_[k];
  }
  return true;
}

void ArrayView::copy_to(double* out) const {
  const Py_ssize_t n = size();
  if (n == 0) return;
  Py_ssize_t index[NPY_MAXDIMS] = {};
  for (Py_ssize_t i = 0; i < n; ++i) {
    const char* p = data_;
    for (int k = 0; k < ndim_; ++k) p += index[k] * strides_[k];
    out[i] = read(p);
    for (int k = ndim_; k-- > 0;) {
      if (++index[k] < shape_[k]) break;
      index[k] = 0;
    }
  }
}

Eigen::VectorXd ArrayView::flatten() const {
  Eigen::VectorXd out(size());
  copy_to(out.data());
  return out;
}

bool ArrayArg::from_object(PyObject* obj, int ndim, const char* parameter, ArrayArg& out) {
  out.source_ = obj;
  out.parameter_ = parameter;
  // the common case first, with nothing else to save and restore: a vector of native float64
  if (Py_IS_TYPE(obj, &PyArray_Type) && (ndim == 1 || ndim < 0)) {
    PyArrayObject* array = as_array(obj);
    if (PyArray_NDIM(array) == 1 && is_native_float64(array)) {
      out.ndim_ = 1;
      out.shape_[0] = PyArray_DIMS(array)[0];
      out.strides_[0] = PyArray_STRIDES(array)[0];
      out.native_data_ = PyArray_BYTES(array);
      out.aligned_ = PyArray_ISALIGNED(array);
      return true;
    }
  }
  return out.take_object(obj, ndim);
}

bool ArrayArg::take_object(PyObject* obj, int ndim) {
  if (PyArray_Check(obj)) return take_array(obj, ndim);
  if ((PyList_Check(obj) || PyTuple_Check(obj)) && list_shape(obj, shape_.data(), ndim_)) {
    if (ndim >= 0 && ndim_ != ndim) {
      return raise_conversion_error(parameter_, obj, array_target), false;
    }
    return true;
  }
  // text never converts; NumPy would first copy it into a string array
  if (PyUnicode_Check(obj) || PyBytes_Check(obj)) {
    return raise_conversion_error(parameter_, obj, array_target), false;
  }
  // anything else NumPy reads at once: scalars, buffers, objects with __array__, lists of
  // other objects
  converted_ = Ref(PyArray_FromAny(obj, nullptr, 0, 0, 0, nullptr));
  if (!converted_) {
    if (!is_conversion_failure()) return false;
    PyErr_Clear();
    return raise_conversion_error(parameter_, obj, array_target), false;
  }
  return take_array(converted_.get(), ndim);
}

bool ArrayArg::take_array(PyObject* obj, int ndim) {
  PyArrayObject* array = as_array(obj);
  const int n = PyArray_NDIM(array);
  const bool native = is_native_float64(array);
  if ((!native && !converts_to_float64(array)) || (ndim >= 0 && n != ndim)) {
    return raise_conversion_error(parameter_, source_, array_target), false;
  }
  ndim_ = n;
  const npy_intp* dims = PyArray_DIMS(array);
  if (native) {
    const npy_intp* strides = PyArray_STRIDES(array);
    for (int k = 0; k < n; ++k) {
      shape_[k] = dims[k];
      strides_[k] = strides[k];
    }
    native_data_ = PyArray_BYTES(array);
    aligned_ = PyArray_ISALIGNED(array);
  } else {
    for (int k = 0; k < n; ++k) shape_[k] = dims[k];
  }
  return true;
}

Py_ssize_t ArrayArg::size_of_any_shape() const {
  Py_ssize_t n = 1;
  for (int k = 0; k < ndim_; ++k) {
    if (shape_[k] == 0) return 0;
    if (__builtin_mul_overflow(n, shape_[k], &n)) n = PY_SSIZE_T_MAX;
  }
  return n;
}

std::string ArrayArg::shape_text() const {
  std::string out = "[";
  for (int i = 0; i < ndim_; ++i) {
    if (i > 0) out += ", ";
    out += std::to_string(shape_[i]);
  }
  return out + "]";
}

Result<ArrayView> ArrayArg::converted_values() const {
  const auto refused = [this] {
    return std::unexpected(conversion_error(parameter_, source_, array_target));
  };
  const auto failed = [&] {
    if (!is_conversion_failure()) return pending_error();
    PyErr_Clear();
    return refused();
  };
  PyObject* array = converted_ ? converted_.get() : source_;
  if (!PyArray_Check(array)) {
    // nested lists: NumPy finds their element type, which must convert, and their shape,
    // which must be the one read from their first elements (it differs for ragged lists)
    converted_ = Ref(PyArray_FromAny(source_, nullptr, 0, 0, 0, nullptr));
    if (!converted_) return failed();
    PyArrayObject* found = as_array(converted_.get());
    if (!converts_to_float64(found)) return refused();
    array = converted_.get();
  }
  if (!has_shape(as_array(array), shape_.data(), ndim_)) return refused();
  auto* float64 = PyArray_DescrFromType(NPY_DOUBLE);  // stolen by PyArray_FromArray
  Ref values(
      PyArray_FromArray(as_array(array), float64, NPY_ARRAY_CARRAY_RO | NPY_ARRAY_FORCECAST));
  if (!values) return failed();
  converted_ = std::move(values);
  return ArrayView(converted_.get());
}

void FlatValues::copy(const ArrayView& array) {
  copy_ = std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(size_));
  array.copy_to(copy_.get());
  data_ = copy_.get();
}

void FlatValues::assign(const Eigen::VectorXd& values) {
  size_ = values.size();
  copy_ = std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(size_));
  std::copy(values.begin(), values.end(), copy_.get());
  data_ = copy_.get();
}

PyObject* new_array(std::span<const Py_ssize_t> shape, const double* row_major_values) {
  npy_intp dims[NPY_MAXDIMS];
  std::copy(shape.begin(), shape.end(), dims);
  PyObject* array = PyArray_SimpleNew(static_cast<int>(shape.size()), dims, NPY_DOUBLE);
  if (!array) return nullptr;
  const auto n = PyArray_SIZE(as_array(array));
  if (n > 0) {
    std::memcpy(PyArray_DATA(as_array(array)), row_major_values,
                static_cast<std::size_t>(n) * sizeof(double));
  }
  return array;
}

PyObject* new_array(std::span<const Py_ssize_t> shape, Eigen::MatrixXd&& storage) {
  // NumPy keeps blocks of up to this size for reuse: copying into one costs less than the
  // object that would keep `storage` alive
  constexpr std::size_t copied_bytes = 1024;
  if (static_cast<std::size_t>(storage.size()) * sizeof(double) <= copied_bytes) {
    return new_array(shape, storage.data());
  }
  auto* held = new Eigen::MatrixXd(std::move(storage));
  PyObject* owner = PyCapsule_New(held, nullptr, [](PyObject* capsule) {
    delete static_cast<Eigen::MatrixXd*>(PyCapsule_GetPointer(capsule, nullptr));
  });
  if (!owner) {
    delete held;
    return nullptr;
  }
  npy_intp dims[NPY_MAXDIMS];
  std::copy(shape.begin(), shape.end(), dims);
  PyObject* array = PyArray_NewFromDescr(&PyArray_Type, PyArray_DescrFromType(NPY_DOUBLE),
                                         static_cast<int>(shape.size()), dims, nullptr,
                                         held->data(), NPY_ARRAY_CARRAY, nullptr);
  if (!array) {
    Py_DECREF(owner);
    return nullptr;
  }
  // steals `owner`, also on failure
  if (PyArray_SetBaseObject(as_array(array), owner) < 0) {
    Py_DECREF(array);
    return nullptr;
  }
  return array;
}

PyObject* new_float32_array(std::span<const float> values) {
  npy_intp dims[1] = {static_cast<npy_intp>(values.size())};
  PyObject* array = PyArray_SimpleNew(1, dims, NPY_FLOAT32);
  if (!array) return nullptr;
  std::memcpy(PyArray_DATA(as_array(array)), values.data(), values.size() * sizeof(float));
  return array;
}

}  // namespace kinetra::python
