// The submodule vortan: shape-building classes, the read-only Shape and ShapeType.
#include <array>
#include <string>
#include <vector>

#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/kit/enumeration.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

// ---- shape-building classes; lengths are halved in single precision

vortan::Sphere sphere_new(float radius) { return vortan::Sphere(radius); }
template <class Round>
Round round_shape_new(float radius, float length) {
  return Round(radius, length * 0.5f);
}
vortan::Mesh mesh_new(const std::string& path) { return vortan::Mesh(path); }

Ref mesh_scale(const vortan::Mesh& m) { return Ref(new_float32_array(m.scale)); }

// `sides`: any sequence of numbers except a str; the first three are the full edge lengths.
PyObject* cuboid_new(PyObject* sides) {
  if (PyUnicode_Check(sides)) {
    return raise(PyExc_TypeError, "argument 'sides': Can't extract `str` to `Vec`");
  }
  if (!PySequence_Check(sides)) return raise_conversion_error("sides", sides, "PySequence");
  Ref items(PySequence_Fast(sides, ""));
  if (!items) return prefix_argument_error("sides"), nullptr;
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(items.get());
  std::vector<float> numbers;
  numbers.reserve(static_cast<std::size_t>(count));
  for (Py_ssize_t i = 0; i < count; ++i) {
    Arg<float> number;
    if (!number.load(PySequence_Fast_GET_ITEM(items.get(), i), "sides")) return nullptr;
    numbers.push_back(number.get());
  }
  if (numbers.size() < 3) {
    return raise(PyExc_ValueError,
                 "expected a sequence of at least 3 numbers for 'sides', but got " +
                     std::to_string(numbers.size()) + ".");
  }
  return new_instance(vortan::Cuboid({numbers[0] * 0.5f, numbers[1] * 0.5f, numbers[2] * 0.5f}));
}

ClassSpec sphere_spec() {
  return {.name = "Sphere",
          .text_signature = "(radius)",
          .constructor = constructor<"Sphere.__new__", "(radius)", &sphere_new>,
          .methods = with_copies<vortan::Sphere>()};
}

ClassSpec cuboid_spec() {
  return {.name = "Cuboid",
          .text_signature = "(sides)",
          .constructor = constructor<"Cuboid.__new__", "(sides)", &cuboid_new>,
          .methods = with_copies<vortan::Cuboid>()};
}

// Capsule, Cone, Cylinder; the last two also answer their dimensions as methods.
template <class Round, FixedString Class, bool dimension_methods>
ClassSpec round_shape_spec() {
  ClassSpec definition{
      .name = Class.c_str(),
      .text_signature = "(radius, length)",
      .constructor =
          constructor<join<Class, ".__new__">, "(radius, length)", &round_shape_new<Round>>};
  if constexpr (dimension_methods) {
    std::string noun = Class.c_str();
    noun[0] = static_cast<char>(noun[0] - 'A' + 'a');
    definition.methods = {def<join<Class, ".radius">, "($self)", &Round::radius>(
                        ("Returns the radius of the " + noun + ".").c_str()),
                    def<join<Class, ".half_length">, "($self)", &Round::half_length>(
                        ("Returns the half length of the " + noun + ".").c_str())};
  }
  definition.methods = with_copies<Round>(std::move(definition.methods));
  return definition;
}

ClassSpec mesh_spec() {
  return {.name = "PyMesh",
          .text_signature = "(path)",
          .doc = "A Python wrapper for the Mesh type.",
          .constructor = constructor<"PyMesh.__new__", "(path)", &mesh_new>,
          .methods = with_copies<vortan::Mesh>(),
          .properties = {property("mesh_path", &getter<&vortan::Mesh::path>),
                         property("scale", &getter<&mesh_scale>, nullptr,
                                  "The factors (x, y, z) applied to the file's coordinates, "
                                  "float32: (1, 1, 1), or the URDF's <mesh scale>.")}};
}

// ---- Shape: the shape of a geometry object, answered through the shape interface

vortan::ShapeType shape_type(const vortan::ShapeWrapper& s) { return s->get_shape_type(); }

Result<double> shape_radius(const vortan::ShapeWrapper& s) {
  if (auto r = s->get_radius()) return *r;
  return value_error("Shape does not have a radius");
}

Result<Ref> shape_half_extents(const vortan::ShapeWrapper& s) {
  if (auto e = s->get_half_extents()) return Ref(new_float32_array(*e));
  return value_error("Shape does not have half extents");
}

Result<double> shape_half_length(const vortan::ShapeWrapper& s) {
  if (auto h = s->get_half_length()) return *h;
  return value_error("Shape does not have a half length");
}

Result<std::string> shape_mesh_path(const vortan::ShapeWrapper& s) {
  if (auto p = s->get_mesh_path()) return *std::move(p);
  return value_error("Shape is not a mesh and does not have a path");
}

Result<Ref> shape_scale(const vortan::ShapeWrapper& s) {
  if (auto factors = s->get_mesh_scale()) return Ref(new_float32_array(*factors));
  return value_error("Shape is not a mesh and does not have a scale");
}

ClassSpec shape_spec() {
  return {.name = "Shape",
          .doc = "A Python wrapper for the ShapeWrapper type.",
          .methods = with_copies<vortan::ShapeWrapper>(),
          .properties = {property("shape_type", &getter<&shape_type>),
                         property("radius", &getter<&shape_radius>),
                         property("half_extents", &getter<&shape_half_extents>),
                         property("half_length", &getter<&shape_half_length>),
                         property("mesh_path", &getter<&shape_mesh_path>),
                         property("scale", &getter<&shape_scale>)}};
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(vortan::Capsule,
                     (kinetra::python::round_shape_spec<vortan::Capsule, "Capsule", false>))
KINETRA_DEFINE_CLASS(vortan::Cone, (kinetra::python::round_shape_spec<vortan::Cone, "Cone", true>))
KINETRA_DEFINE_CLASS(vortan::Cuboid, kinetra::python::cuboid_spec)
KINETRA_DEFINE_CLASS(vortan::Cylinder,
                     (kinetra::python::round_shape_spec<vortan::Cylinder, "Cylinder", true>))
KINETRA_DEFINE_CLASS(vortan::Sphere, kinetra::python::sphere_spec)
KINETRA_DEFINE_CLASS(vortan::Mesh, kinetra::python::mesh_spec)
KINETRA_DEFINE_CLASS(vortan::ShapeWrapper, kinetra::python::shape_spec)

KINETRA_DEFINE_ENUM(vortan::ShapeType, "", vortan::shape_type_names)

// The submodule, with its classes in their fixed order.
bool kinetra::python::init_vortan(ModuleBuilder& m) {
  Ref module(PyModule_New("vortan"));
  if (!module) return false;
  ModuleBuilder vortan_module(module.get());
  return vortan_module.add_classes<vortan::Capsule, vortan::Cone, vortan::Cuboid, vortan::Cylinder,
                                   vortan::Sphere, vortan::Mesh, vortan::ShapeWrapper,
                                   vortan::ShapeType>() &&
         add_vortan_distance(vortan_module) && m.add_submodule("vortan", module.release());
}
