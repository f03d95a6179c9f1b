#pragma once

#include <initializer_list>
#include <string>

#include "python/kit/class.hpp"

namespace kinetra::python {

// Enumeration classes: one class attribute per kind, repr "Class.Kind", int() of the code, no
// constructor and no equality of their own. E needs `const char* to_string(E)`.
template <class E>
std::string enum_repr(const E& kind) {
  return std::string(PyClass<E>::name) + "." + to_string(kind);
}

template <class E>
std::size_t enum_code(const E& kind) {
  return static_cast<std::size_t>(kind);
}

template <class E>
PyTypeObject* create_enum(const char* doc, std::initializer_list<E> kinds) {
  ClassSpec definition{.name = PyClass<E>::name,
                       .doc = doc,
                       .slots = {{Py_tp_repr, reinterpret_cast<void*>(&unary<&enum_repr<E>>)},
                                 {Py_nb_int, reinterpret_cast<void*>(&unary<&enum_code<E>>)}}};
  PyTypeObject* type = create_class<E>(std::move(definition));
  if (!type) return nullptr;
  for (E kind : kinds) {
    if (!set_class_attribute(type, to_string(kind), new_instance_of<E>(type, kind))) {
      Py_DECREF(type);
      return nullptr;
    }
  }
  return type;
}

}  // namespace kinetra::python

// Defines the type object of an exposed enumeration with its kinds in order.
#define KINETRA_DEFINE_ENUM(E, doc, ...)                                         \
  PyTypeObject* kinetra::python::PyClass<E>::type() {                            \
    static PyTypeObject* const type_object = create_enum<E>(doc, {__VA_ARGS__}); \
    return type_object;                                                          \
  }
