#include "python/kit/class.hpp"

#include <deque>

namespace kinetra::python {

PyTypeObject* create_class(ClassSpec definition, int basicsize, destructor dealloc) {
  // the definition's strings and tables must outlive the type object
  static std::deque<std::string> names;
  static std::deque<std::vector<PyMethodDef>> method_tables;
  static std::deque<std::vector<PyGetSetDef>> property_tables;

  names.push_back(std::string("builtins.") + definition.name);
  const char* doc = definition.text_signature
                        ? make_doc(definition.name, definition.text_signature, definition.doc)
                        : definition.doc;
  method_tables.push_back(std::move(definition.methods));
  method_tables.back().push_back({nullptr, nullptr, 0, nullptr});
  property_tables.push_back(std::move(definition.properties));
  property_tables.back().push_back({nullptr, nullptr, nullptr, nullptr, nullptr});

  std::vector<PyType_Slot> slots = std::move(definition.slots);
  slots.push_back({Py_tp_new, reinterpret_cast<void*>(definition.constructor)});
  slots.push_back({Py_tp_dealloc, reinterpret_cast<void*>(dealloc)});
  slots.push_back({Py_tp_methods, method_tables.back().data()});
  slots.push_back({Py_tp_getset, property_tables.back().data()});
  if (*doc) slots.push_back({Py_tp_doc, const_cast<char*>(doc)});
  slots.push_back({0, nullptr});

  // not Py_TPFLAGS_HAVE_GC: new_instance_of makes the objects with PyObject_New
  PyType_Spec type_spec{names.back().c_str(), basicsize, 0, Py_TPFLAGS_DEFAULT, slots.data()};
  return reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
}

bool set_class_attribute(PyTypeObject* type, const char* name, PyObject* owned_value) {
  Ref value(owned_value);
  if (!value) return false;
  return PyObject_SetAttrString(reinterpret_cast<PyObject*>(type), name, value.get()) == 0;
}

}  // namespace kinetra::python
