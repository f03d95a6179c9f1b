// Python class Configuration.
#include <bit>
#include <tuple>
#include <vector>

#include "kinetra/spatial/debug.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

Result<void> check_same_size(const PyConfiguration& a, const PyConfiguration& b) {
  if (a.value.size() != b.value.size()) {
    return invariant_failure("Matrix addition/subtraction dimensions mismatch.");
  }
  return {};
}

Result<PyConfiguration> configuration_add(const PyConfiguration& a, const PyConfiguration& b) {
  if (auto same = check_same_size(a, b); !same) return std::unexpected(same.error());
  return PyConfiguration{a.value + b.value};
}

Result<PyConfiguration> configuration_subtract(const PyConfiguration& a,
                                               const PyConfiguration& b) {
  if (auto same = check_same_size(a, b); !same) return std::unexpected(same.error());
  return PyConfiguration{a.value - b.value};
}

PyConfiguration configuration_negative(const PyConfiguration& c) { return {-c.value}; }

PyConfiguration configuration_scale(const PyConfiguration& c, double k) { return {c.value * k}; }

// The NumPy array interface: arrays made from it view the values, read-only, and keep the
// configuration alive.
Ref configuration_array_interface(const PyConfiguration& c) {
  constexpr const char* typestr = std::endian::native == std::endian::little ? "<f8" : ">f8";
  return Ref(Py_BuildValue("{s:(n),s:s,s:(N,O),s:i}", "shape",
                           static_cast<Py_ssize_t>(c.value.size()), "typestr", typestr, "data",
                           PyLong_FromVoidPtr(const_cast<double*>(c.value.data())), Py_True,
                           "version", 3));
}

std::tuple<Py_ssize_t> configuration_shape(const PyConfiguration& c) { return {c.value.size()}; }

// ---- the sequence protocol: len(c), c[i] (a float), c[start:stop:step] (a new array), iter(c)

// A configuration never changes once made: its values are read without a borrow.
const Configuration& values_of(PyObject* self) {
  return instance_of<PyConfiguration>(self)->value.value;
}

Py_ssize_t configuration_length(PyObject* self) { return values_of(self).size(); }

// sq_item: `i` is already within [0, n) when it came through a negative index and len()
PyObject* configuration_item(PyObject* self, Py_ssize_t i) {
  const Configuration& values = values_of(self);
  if (i < 0 || i >= values.size()) {
    PyErr_SetString(PyExc_IndexError, "Configuration index out of range");
    return nullptr;
  }
  return PyFloat_FromDouble(values[i]);
}

PyObject* configuration_subscript(PyObject* self, PyObject* key) {
  const Configuration& values = values_of(self);
  if (PySlice_Check(key)) {
    Py_ssize_t start = 0, stop = 0, step = 0;
    if (PySlice_Unpack(key, &start, &stop, &step) < 0) return nullptr;
    const Py_ssize_t count = PySlice_AdjustIndices(values.size(), &start, &stop, step);
    std::vector<double> picked(static_cast<std::size_t>(count));
    for (Py_ssize_t k = 0; k < count; ++k) {
      picked[static_cast<std::size_t>(k)] = values[start + k * step];
    }
    const Py_ssize_t shape[1] = {count};
    return new_array(shape, picked.data());
  }
  if (!PyIndex_Check(key)) {
    PyErr_Format(PyExc_TypeError, "Configuration indices must be integers or slices, not %.200s",
                 Py_TYPE(key)->tp_name);
    return nullptr;
  }
  Py_ssize_t i = PyNumber_AsSsize_t(key, PyExc_IndexError);
  if (i == -1 && PyErr_Occurred()) return nullptr;
  if (i < 0) i += values.size();
  return configuration_item(self, i);
}

PyObject* configuration_iter(PyObject* self) { return PySeqIter_New(self); }

std::string configuration_repr(const PyConfiguration& c) { return debug_value(c.value).pretty(); }

ClassSpec configuration_spec() {
  return {
      .name = "Configuration",
      .doc = "Python wrapper for the `Configuration` struct.",
      .methods = with_copies<PyConfiguration>(
          {def<"Configuration.to_numpy", "($self)", &PyConfiguration::value>()}),
      .properties = {property("__array_interface__", &getter<&configuration_array_interface>),
                     property("shape", &getter<&configuration_shape>)},
      .slots = {{Py_nb_add, slot<&binary<&configuration_add>>()},
                {Py_nb_multiply, slot<&binary<&configuration_scale>>()},
                {Py_tp_repr, slot<&unary<&configuration_repr>>()},
                {Py_nb_subtract, slot<&binary<&configuration_subtract>>()},
                {Py_nb_negative, slot<&unary<&configuration_negative>>()},
                {Py_sq_length, slot<&configuration_length>()},
                {Py_sq_item, slot<&configuration_item>()},
                {Py_mp_subscript, slot<&configuration_subscript>()},
                {Py_tp_iter, slot<&configuration_iter>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::python::PyConfiguration, kinetra::python::configuration_spec)

bool kinetra::python::init_configuration(ModuleBuilder& m) {
  return m.add_classes<PyConfiguration>();
}
