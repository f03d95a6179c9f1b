#pragma once

#include <span>
#include <string>

#include "python/kit/class.hpp"

namespace kinetra::python {

// Enumeration classes: one class attribute per kind, repr "Class.Kind", int() of the code,
// `.name`, equal and hashed by kind, no constructor. `names` holds each kind's name at its code.
template <class E>
std::string enum_repr(const E& kind) {
  return std::string(PyClass<E>::name) + "." + to_string(kind);
}

template <class E>
std::size_t enum_code(const E& kind) {
  return static_cast<std::size_t>(kind);
}

// kinds are immutable: read without a borrow
template <class E>
E kind_of(PyObject* obj) {
  return instance_of<E>(obj)->value;
}

template <class E>
PyObject* enum_compare(PyObject* left, PyObject* right, int op) {
  PyTypeObject* type = PyClass<E>::type();
  if (Py_TYPE(left) != type || Py_TYPE(right) != type || (op != Py_EQ && op != Py_NE)) {
    Py_RETURN_NOTIMPLEMENTED;
  }
  return PyBool_FromLong((kind_of<E>(left) == kind_of<E>(right)) == (op == Py_EQ));
}

// the code: equal kinds hash alike (codes are small and never -1)
template <class E>
Py_hash_t enum_hash(PyObject* self) {
  return static_cast<Py_hash_t>(kind_of<E>(self));
}

// `.name`, answered on lookup: the attributes of the class stay its kinds
template <class E>
PyObject* enum_getattr(PyObject* self, PyObject* attribute) {
  if (PyUnicode_Check(attribute) && PyUnicode_CompareWithASCIIString(attribute, "name") == 0) {
    return PyUnicode_FromString(to_string(kind_of<E>(self)));
  }
  return PyObject_GenericGetAttr(self, attribute);
}

template <class E>
PyTypeObject* create_enum(const char* doc, std::span<const char* const> names) {
  ClassSpec definition{.name = PyClass<E>::name,
                       .doc = doc,
                       .slots = {{Py_tp_repr, slot<&unary<&enum_repr<E>>>()},
                                 {Py_nb_int, slot<&unary<&enum_code<E>>>()},
                                 {Py_tp_richcompare, slot<&enum_compare<E>>()},
                                 {Py_tp_hash, slot<&enum_hash<E>>()},
                                 {Py_tp_getattro, slot<&enum_getattr<E>>()}}};
  PyTypeObject* type = create_class<E>(std::move(definition));
  if (!type) return nullptr;
  for (std::size_t code = 0; code < names.size(); ++code) {
    if (!set_class_attribute(type, names[code], new_instance_of<E>(type, static_cast<E>(code)))) {
      Py_DECREF(type);
      return nullptr;
    }
  }
  return type;
}

}  // namespace kinetra::python

// Defines the type object of an exposed enumeration from its table of names.
#define KINETRA_DEFINE_ENUM(E, doc, names)                               \
  PyTypeObject* kinetra::python::PyClass<E>::make() {                    \
    static PyTypeObject* const type_object = create_enum<E>(doc, names); \
    made_ = type_object;                                                 \
    return type_object;                                                  \
  }
