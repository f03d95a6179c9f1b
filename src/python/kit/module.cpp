#include "python/kit/module.hpp"

#include <string>

#include "python/kit/error.hpp"

namespace kinetra::python {

bool ModuleBuilder::add(const char* name, PyObject* owned_value) {
  Ref value(owned_value);
  if (!value) return false;
  Ref all(PyObject_GetAttrString(module_, "__all__"));
  if (!all) {
    PyErr_Clear();
    all = Ref(PyList_New(0));
    if (!all || PyObject_SetAttrString(module_, "__all__", all.get()) < 0) return false;
  }
  Ref text(PyUnicode_FromString(name));
  if (!text || !PyList_Check(all.get()) || PyList_Append(all.get(), text.get()) < 0) {
    PyErr_Clear();
    raise(PyExc_RuntimeError, "could not append __name__ to __all__");
    return false;
  }
  return PyObject_SetAttrString(module_, name, value.get()) == 0;
}

bool ModuleBuilder::add_class(PyTypeObject* type) {
  if (!type) return false;
  Ref name(PyType_GetName(type));
  if (!name) return false;
  const char* text = PyUnicode_AsUTF8(name.get());
  return text && add(text, Py_NewRef(reinterpret_cast<PyObject*>(type)));
}

bool ModuleBuilder::add_functions(std::span<PyMethodDef> defs) {
  Ref module_name(PyModule_GetNameObject(module_));
  if (!module_name) return false;
  for (PyMethodDef& def : defs) {
    if (!add(def.ml_name, PyCFunction_NewEx(&def, module_, module_name.get()))) return false;
  }
  return true;
}

bool ModuleBuilder::add_submodule(const char* name, PyObject* owned_module) {
  Ref submodule(owned_module);
  if (!submodule || !add(name, Py_NewRef(submodule.get()))) return false;
  const char* parent = PyModule_GetName(module_);
  PyObject* modules = PySys_GetObject("modules");  // borrowed
  return parent && modules &&
         PyDict_SetItemString(modules, (std::string(parent) + "." + name).c_str(),
                              submodule.get()) == 0;
}

}  // namespace kinetra::python
