#pragma once

// Pickling and copies of the exposed values through their binary form.
#include <string>
#include <vector>

#include "kinetra/geometry/serialization.hpp"
#include "kinetra/model/serialization.hpp"
#include "python/classes.hpp"
#include "python/kit/function.hpp"

namespace kinetra::python {

// Adds the hidden module function `_from_bytes(payload)`, which rebuilds any pickled value.
bool add_from_bytes(PyObject* module);

// (kinetra._from_bytes, (payload,))
Result<Ref> reduce_payload(const std::string& payload);

// The value whose binary form a class's instances pickle as.
template <class T>
const T& pickled_value(const T& value) {
  return value;
}
inline const Vector3D& pickled_value(const PyVector3D& v) { return v.value; }
inline const Vector6D& pickled_value(const PyVector6D& v) { return v.value; }
inline const Configuration& pickled_value(const PyConfiguration& c) { return c.value; }

template <class T>
Result<Ref> reduce(const T& value) {
  return reduce_payload(to_bytes(pickled_value(value)));
}

template <class T>
T copy_of(const T& value) {
  return value;
}

template <class T>
T deep_copy_of(const T& value, PyObject*) {
  return value;
}

// `methods` with __copy__ and __deepcopy__ (plain C++ copies, which are deep), and __reduce__
// unless the class pickles otherwise.
template <class T, bool Reduce = true>
std::vector<PyMethodDef> with_copies(std::vector<PyMethodDef> methods = {}) {
  if constexpr (Reduce) methods.push_back(def<"__reduce__", "($self)", &reduce<T>>());
  methods.push_back(def<"__copy__", "($self)", &copy_of<T>>());
  methods.push_back(def<"__deepcopy__", "($self, memo)", &deep_copy_of<T>>());
  return methods;
}

}  // namespace kinetra::python
