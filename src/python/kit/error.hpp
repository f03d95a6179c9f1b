#pragma once

#include <expected>
#include <string>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// A Python exception to raise: its class and message. No class: the exception is already set.
struct PyError {
  PyObject* type;
  std::string message;
};

// What a bound callable returns: a value to convert, or an exception to raise.
template <class T>
using Result = std::expected<T, PyError>;

inline std::unexpected<PyError> value_error(std::string message) {
  return std::unexpected(PyError{PyExc_ValueError, std::move(message)});
}

// Sets the exception and returns nullptr.
PyObject* raise(const PyError& error);
PyObject* raise(PyObject* type, const std::string& message);

// MemoryError naming what could not be allocated: "not enough memory for the mass matrix of
// 60000 x 60000 (28.8 GB)".
PyError out_of_memory(const std::string& what, double bytes);

// The object's type name, as `type(obj).__name__`.
std::string type_name(PyObject* obj);

// The exception already set, to pass on as a PyError.
inline std::unexpected<PyError> pending_error() { return std::unexpected(PyError{nullptr, {}}); }

// "argument 'name': 'list' object cannot be converted to 'Target'"
PyError conversion_error(const char* parameter, PyObject* obj, const char* target);
PyObject* raise_conversion_error(const char* parameter, PyObject* obj, const char* target);

// A value quoted in a message: its repr when that is short, otherwise its type, shape and the
// start of its repr ("list of length 1000000: [0.0, 0.0, ..."). Never builds a long repr.
std::string quote_value(PyObject* obj);

// Re-raises a pending TypeError as "argument 'name': <message>"; other errors pass unchanged.
void prefix_argument_error(const char* parameter);

// Turns a C++ exception escaping a binding into a Python exception; call inside catch (...).
PyObject* raise_current_exception();

}  // namespace kinetra::python
