#include "python/pickling.hpp"

#include <string_view>

namespace kinetra::python {
namespace {

PyObject* from_bytes_function = nullptr;

template <class T, class Py = T>
PyObject* decode(std::string_view payload) {
  auto value = from_bytes<T>(payload);
  if (!value) return raise(PyExc_ValueError, value.error().message);
  if constexpr (std::is_same_v<Py, T>) {
    return new_instance<T>(std::move(*value));
  } else {
    return new_instance<Py>(Py{std::move(*value)});
  }
}

struct Decoder {
  std::string_view kind;
  PyObject* (*decode)(std::string_view);
};

PyObject* from_bytes_binding(PyObject*, PyObject* payload) {
  if (!PyBytes_Check(payload)) {
    return raise(PyExc_TypeError, "_from_bytes() takes bytes, not " + type_name(payload));
  }
  const std::string_view bytes(PyBytes_AS_STRING(payload),
                               static_cast<std::size_t>(PyBytes_GET_SIZE(payload)));
  auto reader = BinaryReader::open(bytes);
  if (!reader) return raise(PyExc_ValueError, reader.error().message);
  // made on first use, after the shapes' kinds are initialised
  static const Decoder decoders[] = {
      {BinaryForm<Model>::kind, &decode<Model>},
      {BinaryForm<Frame>::kind, &decode<Frame>},
      {BinaryForm<JointModel>::kind, &decode<JointModel>},
      {BinaryForm<Inertia>::kind, &decode<Inertia>},
      {BinaryForm<SE3>::kind, &decode<SE3>},
      {BinaryForm<Symmetric3>::kind, &decode<Symmetric3>},
      {BinaryForm<Vector3D>::kind, &decode<Vector3D, PyVector3D>},
      {BinaryForm<Vector6D>::kind, &decode<Vector6D, PyVector6D>},
      {BinaryForm<Configuration>::kind, &decode<Configuration, PyConfiguration>},
      {BinaryForm<GeometryModel>::kind, &decode<GeometryModel>},
      {BinaryForm<GeometryObject>::kind, &decode<GeometryObject>},
      {BinaryForm<vortan::ShapeWrapper>::kind, &decode<vortan::ShapeWrapper>},
      {BinaryForm<vortan::Capsule>::kind, &decode<vortan::Capsule>},
      {BinaryForm<vortan::Cone>::kind, &decode<vortan::Cone>},
      {BinaryForm<vortan::Cuboid>::kind, &decode<vortan::Cuboid>},
      {BinaryForm<vortan::Cylinder>::kind, &decode<vortan::Cylinder>},
      {BinaryForm<vortan::Sphere>::kind, &decode<vortan::Sphere>},
      {BinaryForm<vortan::Mesh>::kind, &decode<vortan::Mesh>},
  };
  try {
    for (const Decoder& decoder : decoders) {
      if (decoder.kind == reader->kind()) return decoder.decode(bytes);
    }
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
