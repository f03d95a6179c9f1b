#include "python/pickling.hpp"

#include <string_view>
#include <type_traits>

#include "kinetra/geometry/payload_kinds.hpp"

namespace kinetra::python {
namespace {

PyObject* from_bytes_function = nullptr;

// The Python class of each decoded value: the value's own class unless listed here.
template <class T>
struct PythonClass {
  using type = T;
};
template <>
struct PythonClass<Vector3D> {
  using type = PyVector3D;
};
template <>
struct PythonClass<Vector6D> {
  using type = PyVector6D;
};
template <>
struct PythonClass<Configuration> {
  using type = PyConfiguration;
};

template <class T>
PyObject* decode(std::string_view payload) {
  auto value = from_bytes<T>(payload);
  if (!value) return raise(PyExc_ValueError, value.error().message);
  using Py = typename PythonClass<T>::type;
  if constexpr (std::is_same_v<Py, T>) {
    return new_instance<T>(std::move(*value));
  } else {
    return new_instance<Py>(Py{std::move(*value)});
  }
}

PyObject* from_bytes_binding(PyObject*, PyObject* payload) {
  if (!PyBytes_Check(payload)) {
    return raise(PyExc_TypeError, "_from_bytes() takes bytes, not " + type_name(payload));
  }
  const std::string_view bytes(PyBytes_AS_STRING(payload),
                               static_cast<std::size_t>(PyBytes_GET_SIZE(payload)));
  auto reader = BinaryReader::open(bytes);
  if (!reader) return raise(PyExc_ValueError, reader.error().message);
  PyObject* value = nullptr;
  try {
    const bool known = AnyPayload::visit(reader->kind(), [&]<class T>(std::type_identity<T>) {
      value = decode<T>(bytes);
    });
    if (known) return value;
  } catch (...) {
    return raise_current_exception();
  }
  return raise(PyExc_ValueError, "corrupt kinetra payload: unknown kind '" + reader->kind() + "'");
}

PyMethodDef from_bytes_def = {"_from_bytes", &from_bytes_binding, METH_O,
                              "Rebuilds a pickled kinetra value from its binary form."};

}  // namespace

bool add_from_bytes(PyObject* module) {
  Ref module_name(PyModule_GetNameObject(module));
  if (!module_name) return false;
  Ref function(PyCFunction_NewEx(&from_bytes_def, module, module_name.get()));
  if (!function || PyModule_AddObjectRef(module, "_from_bytes", function.get()) < 0) return false;
  from_bytes_function = function.release();
  return true;
}

Result<Ref> reduce_payload(const std::string& payload) {
  Ref bytes(PyBytes_FromStringAndSize(payload.data(), static_cast<Py_ssize_t>(payload.size())));
  if (!bytes) return std::unexpected(PyError{PyExc_MemoryError, "out of memory"});
  return Ref(Py_BuildValue("(O(O))", from_bytes_function, bytes.get()));
}

}  // namespace kinetra::python
