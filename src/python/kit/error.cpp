#include "python/kit/error.hpp"

#include <exception>
#include <new>
#include <stdexcept>

namespace kinetra::python {

PyObject* raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
  return nullptr;
}

PyObject* raise(const PyError& error) { return raise(error.type, error.message); }

std::string type_name(PyObject* obj) {
  Ref name(PyType_GetName(Py_TYPE(obj)));
  const char* text = name ? PyUnicode_AsUTF8(name.get()) : nullptr;
  if (!text) {
    PyErr_Clear();
    return Py_TYPE(obj)->tp_name;
  }
  return text;
}

PyObject* raise_conversion_error(const char* parameter, PyObject* obj, const char* target) {
  return raise(PyExc_TypeError, std::string("argument '") + parameter + "': '" + type_name(obj) +
                                    "' object cannot be converted to '" + target + "'");
}

void prefix_argument_error(const char* parameter) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  Ref text(value ? PyObject_Str(value) : nullptr);
  const char* message = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
  std::string full = std::string("argument '") + parameter + "': " + (message ? message : "");
  Py_XDECREF(type);
  Py_XDECREF(value);
  Py_XDECREF(traceback);
  PyErr_Clear();
  raise(PyExc_TypeError, full);
}

PyObject* raise_current_exception() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::exception& e) {
    return raise(PyExc_RuntimeError, e.what());
  } catch (...) {
    return raise(PyExc_RuntimeError, "unknown internal error");
  }
}

}  // namespace kinetra::python
