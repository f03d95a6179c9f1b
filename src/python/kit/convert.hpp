#pragma once

#include <Eigen/Core>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/kit/instance.hpp"
#include "python/kit/numpy.hpp"

namespace kinetra::python {

// ---- Python -> C++: one holder per parameter type; load() raises and returns false on failure.

template <class T>
struct Arg;

template <>
struct Arg<double> {
  double value = 0;
  bool load(PyObject* obj, const char* name) {
    value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred()) return prefix_argument_error(name), false;
    return true;
  }
  double get() const { return value; }
};

template <>
struct Arg<float> : Arg<double> {
  float get() const { return static_cast<float>(value); }
};

template <>
struct Arg<std::size_t> {
  std::size_t value = 0;
  bool load(PyObject* obj, const char* name) {
    Ref index(PyNumber_Index(obj));
    if (!index) return prefix_argument_error(name), false;
    value = PyLong_AsSize_t(index.get());
    // a negative int raises OverflowError, which keeps the interpreter's own message
    if (value == static_cast<std::size_t>(-1) && PyErr_Occurred()) {
      return prefix_argument_error(name), false;
    }
    return true;
  }
  std::size_t get() const { return value; }
};

template <>
struct Arg<bool> {
  bool value = false;
  bool load(PyObject* obj, const char* name) {
    if (!PyBool_Check(obj)) return raise_conversion_error(name, obj, "PyBool"), false;
    value = obj == Py_True;
    return true;
  }
  bool get() const { return value; }
};

template <>
struct Arg<std::string> {
  std::string value;
  bool load(PyObject* obj, const char* name) {
    if (!PyUnicode_Check(obj)) return raise_conversion_error(name, obj, "PyString"), false;
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(obj, &size);
    if (!text) return false;
    value.assign(text, static_cast<std::size_t>(size));
    return true;
  }
  const std::string& get() const { return value; }
};

template <>
struct Arg<std::string_view> : Arg<std::string> {
  std::string_view get() const { return value; }
};

template <>
struct Arg<std::optional<std::string>> {
  std::optional<std::string> value;
  bool load(PyObject* obj, const char* name) {
    if (!obj || obj == Py_None) return true;
    Arg<std::string> text;
    if (!text.load(obj, name)) return false;
    value = std::move(text.value);
    return true;
  }
  const std::optional<std::string>& get() const { return value; }
};

template <>
struct Arg<std::pair<std::size_t, std::size_t>> {
  std::pair<std::size_t, std::size_t> value;
  bool load(PyObject* obj, const char* name) {
    if (!PyTuple_Check(obj)) return raise_conversion_error(name, obj, "PyTuple"), false;
    const Py_ssize_t n = PyTuple_GET_SIZE(obj);
    if (n != 2) {
      return raise(PyExc_ValueError,
                   "expected tuple of length 2, but got tuple of length " + std::to_string(n)),
             false;
    }
    Arg<std::size_t> first, second;
    if (!first.load(PyTuple_GET_ITEM(obj, 0), name)) return false;
    if (!second.load(PyTuple_GET_ITEM(obj, 1), name)) return false;
    value = {first.value, second.value};
    return true;
  }
  std::pair<std::size_t, std::size_t> get() const { return value; }
};

template <int Dims>
struct Arg<Array<Dims>> {
  Arg() {}  // not value-initialised: that would zero the array's shape storage on every call
  Array<Dims> value;
  bool load(PyObject* obj, const char* name) {
    return ArrayArg::from_object(obj, Dims, name, value);
  }
  const Array<Dims>& get() const { return value; }
};

// Any object, borrowed.
template <>
struct Arg<PyObject*> {
  PyObject* value = nullptr;
  bool load(PyObject* obj, const char*) {
    value = obj;
    return true;
  }
  PyObject* get() const { return value; }
};

// An instance of exactly the class exposing T.
template <class T>
bool check_instance(PyObject* obj, const char* name) {
  PyTypeObject* type = PyClass<T>::type();
  if (!type) return false;
  if (Py_TYPE(obj) != type) return raise_conversion_error(name, obj, PyClass<T>::name), false;
  return true;
}

template <class T>
struct SharedArg {
  SharedBorrow<T> borrow;
  bool load(PyObject* obj, const char* name) {
    return check_instance<T>(obj, name) && borrow.acquire(obj);
  }
  const T& get() const { return borrow.get(); }
};

template <class T>
struct ExclusiveArg {
  ExclusiveBorrow<T> borrow;
  bool load(PyObject* obj, const char* name) {
    return check_instance<T>(obj, name) && borrow.acquire(obj);
  }
  T& get() const { return borrow.get(); }
};

template <class P, class T = std::remove_cvref_t<P>>
using ArgFor =
    std::conditional_t<Exposed<T>,
                       std::conditional_t<std::is_lvalue_reference_v<P> &&
                                              !std::is_const_v<std::remove_reference_t<P>>,
                                          ExclusiveArg<T>, SharedArg<T>>,
                       Arg<T>>;

// Converts `obj` as parameter type P without raising: nullopt (error cleared) on a TypeError.
template <class P>
bool try_load(ArgFor<P>& holder, PyObject* obj) {
  if (holder.load(obj, "other")) return true;
  if (PyErr_ExceptionMatches(PyExc_TypeError)) PyErr_Clear();
  return false;
}

// ---- C++ -> Python: new references, nullptr with an exception set on failure.

template <class T>
struct is_result : std::false_type {};
template <class T>
struct is_result<Result<T>> : std::true_type {};
template <class T>
struct is_optional : std::false_type {};
template <class T>
struct is_optional<std::optional<T>> : std::true_type {};
template <class T>
struct is_vector : std::false_type {};
template <class T>
struct is_vector<std::vector<T>> : std::true_type {};
template <class T>
struct is_tuple : std::false_type {};
template <class... T>
struct is_tuple<std::tuple<T...>> : std::true_type {};

template <class R>
PyObject* to_python(R&& value);

template <class Tuple, std::size_t... I>
PyObject* tuple_to_python(Tuple&& values, std::index_sequence<I...>) {
  PyObject* items[] = {to_python(std::get<I>(std::forward<Tuple>(values)))...};
  for (PyObject* item : items) {
    if (!item) {
      for (PyObject* other : items) Py_XDECREF(other);
      return nullptr;
    }
  }
  PyObject* tuple = PyTuple_New(sizeof...(I));
  if (!tuple) {
    for (PyObject* item : items) Py_DECREF(item);
    return nullptr;
  }
  for (std::size_t i = 0; i < sizeof...(I); ++i) PyTuple_SET_ITEM(tuple, i, items[i]);
  return tuple;
}

template <class R>
PyObject* to_python(R&& value) {
  using T = std::remove_cvref_t<R>;
  if constexpr (std::is_same_v<T, PyObject*>) {
    return value;
  } else if constexpr (std::is_same_v<T, Ref>) {
    return Ref(std::forward<R>(value)).release();
  } else if constexpr (is_result<T>::value) {
    if (!value) return raise(value.error());
    if constexpr (std::is_void_v<typename T::value_type>) {
      Py_RETURN_NONE;
    } else {
      return to_python(*std::forward<R>(value));
    }
  } else if constexpr (std::is_same_v<T, bool>) {
    return PyBool_FromLong(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    return PyFloat_FromDouble(static_cast<double>(value));
  } else if constexpr (std::is_unsigned_v<T>) {
    return PyLong_FromSize_t(value);
  } else if constexpr (std::is_integral_v<T>) {
    return PyLong_FromLongLong(value);
  } else if constexpr (std::is_same_v<T, std::string>) {
    return PyUnicode_FromStringAndSize(value.data(), static_cast<Py_ssize_t>(value.size()));
  } else if constexpr (is_optional<T>::value) {
    if (!value) Py_RETURN_NONE;
    return to_python(*std::forward<R>(value));
  } else if constexpr (Exposed<T>) {
    return new_instance<T>(std::forward<R>(value));
  } else if constexpr (is_vector<T>::value) {
    Ref list(PyList_New(static_cast<Py_ssize_t>(value.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < value.size(); ++i) {
      // elements move out of a temporary only; an lvalue is copied and stays as it was
      PyObject* item =
          std::is_lvalue_reference_v<R> ? to_python(value[i]) : to_python(std::move(value[i]));
      if (!item) return nullptr;
      PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
    }
    return list.release();
  } else if constexpr (is_tuple<T>::value) {
    return tuple_to_python(std::forward<R>(value),
                           std::make_index_sequence<std::tuple_size_v<T>>());
  } else {
    return to_numpy(value);
  }
}

}  // namespace kinetra::python
