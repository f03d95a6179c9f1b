#pragma once

#include <string_view>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// Each binding file registers what it exposes at load time; the module entry then adds the
// entries to the module in its own fixed order.
using TypeGetter = PyTypeObject* (*)();
using ModuleMaker = PyObject* (*)();

bool register_class(const char* name, TypeGetter type);
bool register_function(PyMethodDef def);
bool register_submodule(const char* name, ModuleMaker make);

// nullptr when nothing of that name was registered
TypeGetter find_class(std::string_view name);
PyMethodDef* find_function(std::string_view name);
ModuleMaker find_submodule(std::string_view name);

}  // namespace kinetra::python

#define KINETRA_CONCAT_INNER(a, b) a##b
#define KINETRA_CONCAT(a, b) KINETRA_CONCAT_INNER(a, b)
// Registers an exposed class of C++ type T under its Python name.
#define KINETRA_REGISTER_CLASS(T)                                               \
  [[maybe_unused]] static const bool KINETRA_CONCAT(registered_, __COUNTER__) = \
      ::kinetra::python::register_class(::kinetra::python::PyClass<T>::name,    \
                                        &::kinetra::python::PyClass<T>::type)
// Registers a module function from its PyMethodDef (see def<...>()).
#define KINETRA_REGISTER_FUNCTION(...)                                          \
  [[maybe_unused]] static const bool KINETRA_CONCAT(registered_, __COUNTER__) = \
      ::kinetra::python::register_function(__VA_ARGS__)
