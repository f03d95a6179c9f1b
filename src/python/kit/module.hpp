#pragma once

#include "python/kit/ref.hpp"

namespace kinetra::python {

// Adds attributes to a module in order, listing each name in its __all__ first.
class ModuleBuilder {
 public:
  explicit ModuleBuilder(PyObject* module) : module_(module) {}

  // Each returns false with an exception set.
  bool add(const char* name, PyObject* owned_value);
  bool add_class(PyTypeObject* type);
  // `def` must live as long as the process.
  bool add_function(PyMethodDef* def);

 private:
  PyObject* module_;
};

}  // namespace kinetra::python
