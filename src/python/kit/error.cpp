#include "python/kit/error.hpp"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <stdexcept>

namespace kinetra::python {

PyObject* raise(PyObject* type, const std::string& message) {
  // NULs escaped, so that the message is not cut at one
  std::string escaped;
  for (char c : message) {
    if (c == '\0') {
      escaped += "\\x00";
    } else {
      escaped += c;
    }
  }
  Ref text(PyUnicode_DecodeUTF8(escaped.data(), static_cast<Py_ssize_t>(escaped.size()),
                                "backslashreplace"));
  if (text) PyErr_SetObject(type, text.get());
  return nullptr;
}

PyError out_of_memory(const std::string& what, double bytes) {
  char size[32];
  const bool gigabytes = bytes >= 1e9;
  std::snprintf(size, sizeof size, "%.1f %s", bytes / (gigabytes ? 1e9 : 1e6),
                gigabytes ? "GB" : "MB");
  return {PyExc_MemoryError, "not enough memory for the " + what + " (" + size + ")"};
}

PyObject* raise(const PyError& error) {
  if (!error.type) return nullptr;
  return raise(error.type, error.message);
}

std::string type_name(PyObject* obj) {
  Ref name(PyType_GetName(Py_TYPE(obj)));
  const char* text = name ? PyUnicode_AsUTF8(name.get()) : nullptr;
  if (!text) {
    PyErr_Clear();
    return Py_TYPE(obj)->tp_name;
  }
  return text;
}

PyError conversion_error(const char* parameter, PyObject* obj, const char* target) {
  return {PyExc_TypeError, std::string("argument '") + parameter + "': '" + type_name(obj) +
                               "' object cannot be converted to '" + target + "'"};
}

PyObject* raise_conversion_error(const char* parameter, PyObject* obj, const char* target) {
  return raise(conversion_error(parameter, obj, target));
}

namespace {

// reprs up to this many characters are quoted whole
constexpr std::size_t quote_limit = 1000;
// arrays with more elements are never asked for their repr
constexpr Py_ssize_t repr_elements_limit = 1000;

bool append_repr(PyObject* obj, std::string& out);

bool append_text(PyObject* text, std::string& out) {
  Py_ssize_t size = 0;
  const char* utf8 = text ? PyUnicode_AsUTF8AndSize(text, &size) : nullptr;
  if (!utf8) return false;
  out.append(utf8, static_cast<std::size_t>(size));
  return out.size() <= quote_limit;
}

// The repr of a str or bytes, of its start only when it is long.
bool append_string_repr(PyObject* obj, Py_ssize_t length, std::string& out) {
  const Py_ssize_t head = static_cast<Py_ssize_t>(quote_limit) + 1;
  if (length <= head) return append_text(Ref(PyObject_Repr(obj)).get(), out);
  Ref start(PySequence_GetSlice(obj, 0, head));
  append_text(start ? Ref(PyObject_Repr(start.get())).get() : nullptr, out);
  return false;
}

// "[a, b]", "(a,)", "{k: v}" written item by item: a large container costs its first items only.
bool append_items(PyObject* obj, std::string& out) {
  const bool is_dict = PyDict_CheckExact(obj);
  const bool is_tuple = PyTuple_CheckExact(obj);
  out += is_dict ? '{' : is_tuple ? '(' : '[';
  if (Py_ReprEnter(obj) != 0) {
    out += "...";
  } else {
    bool whole = true;
    Py_ssize_t count = 0, pos = 0;
    PyObject *key = nullptr, *value = nullptr;
    while (whole &&
           (is_dict ? PyDict_Next(obj, &pos, &key, &value) : pos < PySequence_Fast_GET_SIZE(obj))) {
      if (!is_dict) value = PySequence_Fast_GET_ITEM(obj, pos++);
      if (count++ > 0) out += ", ";
      if (is_dict) whole = append_repr(key, out) && (out += ": ", true);
      whole = whole && append_repr(value, out) && out.size() <= quote_limit;
    }
    Py_ReprLeave(obj);
    if (!whole) return false;
    if (is_tuple && count == 1) out += ',';
  }
  out += is_dict ? '}' : is_tuple ? ')' : ']';
  return out.size() <= quote_limit;
}

// The product of an array-like's `shape` tuple, or -1 when it has none.
Py_ssize_t shape_elements(PyObject* obj, std::string* shape_text) {
  if (PyList_CheckExact(obj) || PyTuple_CheckExact(obj) || PyDict_CheckExact(obj)) return -1;
  Ref shape(PyObject_GetAttrString(obj, "shape"));
  if (!shape || !PyTuple_Check(shape.get())) return PyErr_Clear(), -1;
  Py_ssize_t n = 1;
  for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(shape.get()); ++i) {
    const Py_ssize_t d = PyLong_AsSsize_t(PyTuple_GET_ITEM(shape.get(), i));
    if (d < 0) return PyErr_Clear(), -1;
    n = d != 0 && n > PY_SSIZE_T_MAX / d ? PY_SSIZE_T_MAX : n * d;
  }
  if (shape_text) {
    Ref text(PyObject_Repr(shape.get()));
    const char* utf8 = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    if (!utf8) return PyErr_Clear(), -1;
    *shape_text = utf8;
  }
  return n;
}

// Appends repr(obj), stopping once `out` is longer than quote_limit: false when cut short.
bool append_repr(PyObject* obj, std::string& out) {
  if (PyUnicode_CheckExact(obj)) return append_string_repr(obj, PyUnicode_GET_LENGTH(obj), out);
  if (PyBytes_CheckExact(obj)) return append_string_repr(obj, PyBytes_GET_SIZE(obj), out);
  if (PyList_CheckExact(obj) || PyTuple_CheckExact(obj) || PyDict_CheckExact(obj)) {
    return append_items(obj, out);
  }
  if (shape_elements(obj, nullptr) > repr_elements_limit) return false;
  return append_text(Ref(PyObject_Repr(obj)).get(), out);
}

}  // namespace

std::string quote_value(PyObject* obj) {
  std::string text;
  if (append_repr(obj, text)) return text;
  PyErr_Clear();  // a repr that failed: its type and size say enough
  std::string out = type_name(obj);
  std::string shape;
  if (shape_elements(obj, &shape) >= 0) {
    out += " of shape " + shape;
  } else if (const Py_ssize_t length = PyObject_Length(obj); length >= 0) {
    out += " of length " + std::to_string(length);
  } else {
    PyErr_Clear();
  }
  if (text.empty()) return out;
  std::size_t cut = std::min(text.size(), quote_limit);
  // never inside a UTF-8 sequence
  while (cut < text.size() && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  return out + ": " + text.substr(0, cut) + "...";
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
