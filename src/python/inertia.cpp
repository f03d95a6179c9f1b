// Python class Inertia.
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

Result<Inertia> inertia_new(double mass, const Array<-1>& com, const Array<-1>& inertia) {
  auto c = vector3_from_array(com);
  if (!c) return std::unexpected(c.error());
  auto s = symmetric3_from_array(inertia);
  if (!s) return std::unexpected(s.error());
  return Inertia{mass, *c, *s};
}

Result<Inertia> inertia_from_sphere(double mass, double radius) {
  auto inertia = Inertia::from_sphere(mass, radius);
  if (!inertia) return value_error("Failed to create Inertia: " + inertia.error().debug());
  return *inertia;
}

Inertia inertia_zeros() { return Inertia::zeros(); }
Eigen::Matrix3d inertia_matrix(const Inertia& i) { return i.inertia.to_matrix(); }
Inertia inertia_add(const Inertia& a, const Inertia& b) { return a + b; }
std::string inertia_repr(const Inertia& i) { return debug_value(i).compact(); }

ClassSpec inertia_spec() {
  return {
      .name = "Inertia",
      .text_signature = "(mass, com, inertia)",
      .doc = "A Python wrapper for the [`Inertia`] struct.",
      .constructor = constructor<"Inertia.__new__", "(mass, com, inertia)", &inertia_new>,
      .methods = with_copies<Inertia>(
          {static_def<"Inertia.FromSphere", "(mass, radius)", &inertia_from_sphere>(
               "Creates a new inertia sphere with the given parameters.\n\n# Arguments\n\n* "
               "`mass` - The mass of the sphere.\n* `radius` - The radius of the sphere.\n\n# "
               "Returns\nA new [`Inertia`] object representing a sphere."),
           static_def<"Inertia.zeros", "()", &inertia_zeros>(
               "Creates a new [`Inertia`] object with zero mass, zero center of mass, and zero "
               "inertia matrix.\n\n# Returns\nA new [`Inertia`] object with all properties set "
               "to zero.")}),
      .properties = {property("mass", &getter<&Inertia::mass>),
                     property("com", &getter<&Inertia::com>),
                     property("lever", &getter<&Inertia::com>, nullptr,
                              "Returns the lever (center of mass) of the inertia.\n\nThis is an "
                              "alias for the `com` property."),
                     property("inertia", &getter<&inertia_matrix>)},
      .slots = {{Py_nb_add, slot<&binary<&inertia_add>>()},
                {Py_tp_repr, slot<&unary<&inertia_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::Inertia, kinetra::python::inertia_spec)

bool kinetra::python::init_inertia(ModuleBuilder& m) { return m.add_classes<Inertia>(); }
