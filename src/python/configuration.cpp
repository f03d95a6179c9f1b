// Python class Configuration.
#include <bit>

#include "kinetra/spatial/debug.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

Result<PyConfiguration> configuration_add(const PyConfiguration& a, const PyConfiguration& b) {
  if (a.value.size() != b.value.size()) {
    return invariant_failure("Matrix addition/subtraction dimensions mismatch.");
  }
  return PyConfiguration{a.value + b.value};
}

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

std::string configuration_repr(const PyConfiguration& c) { return debug_value(c.value).pretty(); }

ClassSpec configuration_spec() {
  return {
      .name = "Configuration",
      .doc = "Python wrapper for the `Configuration` struct.",
      .methods = with_copies<PyConfiguration>(
          {def<"Configuration.to_numpy", "($self)", &PyConfiguration::value>()}),
      .properties = {property("__array_interface__", &getter<&configuration_array_interface>)},
      .slots = {{Py_nb_add, slot<&binary<&configuration_add>>()},
                {Py_nb_multiply, slot<&binary<&configuration_scale>>()},
                {Py_tp_repr, slot<&unary<&configuration_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::python::PyConfiguration, kinetra::python::configuration_spec)

bool kinetra::python::init_configuration(ModuleBuilder& m) {
  return m.add_classes<PyConfiguration>();
}
