#include "python/kit/function.hpp"

#include <deque>

namespace kinetra::python {

const char* make_doc(const char* name, const char* text_signature, const char* doc) {
  // docstrings live as long as the type objects: for the whole process
  static std::deque<std::string> storage;
  storage.push_back(std::string(name) + text_signature + "\n--\n\n" + doc);
  return storage.back().c_str();
}

PyObject* no_constructor(PyTypeObject* type, PyObject*, PyObject*) {
  return raise(PyExc_TypeError,
               std::string("No constructor defined for ") + short_name(type->tp_name));
}

}  // namespace kinetra::python
