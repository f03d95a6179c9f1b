#include "python/seed.hpp"

#include <string>

namespace kinetra::python {

Result<std::optional<std::uint64_t>> seed_value(PyObject* seed) {
  if (!seed || seed == Py_None) return std::nullopt;
  // any integer (NumPy's too), but not a bool
  if (!PyIndex_Check(seed) || PyBool_Check(seed)) {
    return std::unexpected(
        PyError{PyExc_TypeError, "seed must be an int or None, got " + type_name(seed)});
  }
  const Ref index(PyNumber_Index(seed));
  if (!index) return std::unexpected(PyError{PyExc_TypeError, "seed must be an int or None"});
  const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
    PyErr_Clear();
    const Ref text(PyObject_Str(index.get()));
    const char* digits = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    return value_error(std::string("seed must be in [0, 2**64), got ") +
                       (digits ? digits : "another int"));
  }
  return static_cast<std::uint64_t>(value);
}

}  // namespace kinetra::python
