#pragma once

#include <span>

#include "python/kit/instance.hpp"

namespace kinetra::python {

// Adds attributes to a module in order, listing each name in its __all__ first. Each adder
// returns false with an exception set.
class ModuleBuilder {
 public:
  explicit ModuleBuilder(PyObject* module) : module_(module) {}

  bool add(const char* name, PyObject* owned_value);
  bool add_class(PyTypeObject* type);
  template <class... T>
  bool add_classes() {
    return (add_class(PyClass<T>::type()) && ...);
  }
  // `defs` must live as long as the process.
  bool add_functions(std::span<PyMethodDef> defs);
  // Also importable as "<this module>.<name>".
  bool add_submodule(const char* name, PyObject* owned_module);

 private:
  PyObject* module_;
};

}  // namespace kinetra::python
