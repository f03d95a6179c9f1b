// Python classes Vector3D, Vector6D and Symmetric3.
#include <cmath>

#include "kinetra/spatial/text.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

// ---- Vector3D

PyVector3D vector3_new(double x, double y, double z) { return {Vector3D(x, y, z)}; }
PyVector3D vector3_zeros() { return {Vector3D::Zero()}; }
PyVector3D vector3_ones() { return {Vector3D::Ones()}; }
double vector3_norm(const PyVector3D& v) {
  const Vector3D& x = v.value;
  return std::sqrt((x.x() * x.x() + x.y() * x.y()) + x.z() * x.z());
}
PyVector3D vector3_add(const PyVector3D& a, const PyVector3D& b) { return {a.value + b.value}; }
PyVector3D vector3_sub(const PyVector3D& a, const PyVector3D& b) { return {a.value - b.value}; }
PyVector3D vector3_mul(const PyVector3D& a, const PyVector3D& b) {
  return {a.value.cwiseProduct(b.value)};
}
std::string vector3_repr(const PyVector3D& v) {
  return "Vector3D(" + display_number(v.value.x()) + ", " + display_number(v.value.y()) + ", " +
         display_number(v.value.z()) + ")";
}

ClassSpec vector3_spec() {
  return {
      .name = "Vector3D",
      .text_signature = "(x, y, z)",
      .constructor = constructor<"Vector3D.__new__", "(x, y, z)", &vector3_new>,
      .methods = with_copies<PyVector3D>({static_def<"Vector3D.zeros", "()", &vector3_zeros>(),
                                          static_def<"Vector3D.ones", "()", &vector3_ones>(),
                                          def<"Vector3D.to_numpy", "($self)", &PyVector3D::value>(),
                                          def<"Vector3D.vector", "($self)", &PyVector3D::value>(),
                                          def<"Vector3D.norm", "($self)", &vector3_norm>()}),
      .slots = {{Py_nb_add, slot<&binary<&vector3_add>>()},
                {Py_nb_subtract, slot<&binary<&vector3_sub>>()},
                {Py_nb_multiply, slot<&binary<&vector3_mul>>()},
                {Py_tp_repr, slot<&unary<&vector3_repr>>()}},
  };
}

// ---- Vector6D

PyVector6D vector6_new(double x, double y, double z, double w, double v, double u) {
  Vector6D value;
  value << x, y, z, w, v, u;
  return {value};
}

ClassSpec vector6_spec() {
  return {.name = "Vector6D",
          .text_signature = "(x, y, z, w, v, u)",
          .doc = "Python wrapper for spatial motion vectors (`Vector6D`).",
          .constructor = constructor<"Vector6D.__new__", "(x, y, z, w, v, u)", &vector6_new>,
          .methods = with_copies<PyVector6D>()};
}

// ---- Symmetric3

Symmetric3 symmetric3_new(double m11, double m22, double m33, double m12, double m13, double m23) {
  return {{m11, m22, m33, m12, m13, m23}};
}
Symmetric3 symmetric3_zero() { return Symmetric3::zero(); }
Symmetric3 symmetric3_identity() { return Symmetric3::identity(); }
Symmetric3 symmetric3_add(const Symmetric3& a, const Symmetric3& b) { return a + b; }
Symmetric3 symmetric3_sub(const Symmetric3& a, const Symmetric3& b) { return a - b; }

Result<double> symmetric3_item(const Symmetric3& s, std::pair<std::size_t, std::size_t> index) {
  if (index.first > 2 || index.second > 2) {
    return std::unexpected(PyError{PyExc_IndexError, "Index out of bounds"});
  }
  return s(static_cast<int>(index.first), static_cast<int>(index.second));
}

PyObject* symmetric3_subscript(PyObject* self, PyObject* index) {
  return fastcall<"Symmetric3.__getitem__", "($self, index)", &symmetric3_item>(self, &index, 1,
                                                                                nullptr);
}

// s * k for a number k, s * v for a Vector3D v, and the reflected k * s.
PyObject* symmetric3_multiply(PyObject* left, PyObject* right) {
  PyTypeObject* type = PyClass<Symmetric3>::type();
  const bool reflected = Py_TYPE(left) != type;
  PyObject* self = reflected ? right : left;
  PyObject* other = reflected ? left : right;
  SharedBorrow<Symmetric3> s;
  ArgFor<double> scalar;
  if (try_load<double>(scalar, other)) {
    if (!s.acquire(self)) return nullptr;
    return to_python(s.get() * scalar.get());
  }
  if (PyErr_Occurred()) return nullptr;
  ArgFor<const PyVector3D&> vector;
  if (!reflected && try_load<const PyVector3D&>(vector, other)) {
    if (!s.acquire(self)) return nullptr;
    return to_python(PyVector3D{s.get() * vector.get().value});
  }
  if (PyErr_Occurred()) return nullptr;
  Py_RETURN_NOTIMPLEMENTED;
}

std::string symmetric3_repr(const Symmetric3& s) {
  std::string out = "Symmetric3(\n";
  for (int r = 0; r < 3; ++r) {
    out += "  [" + fixed_number(s(r, 0), 4) + ", " + fixed_number(s(r, 1), 4) + ", " +
           fixed_number(s(r, 2), 4) + "]" + (r < 2 ? ",\n" : "\n");
  }
  return out + ")";
}

ClassSpec symmetric3_spec() {
  return {
      .name = "Symmetric3",
      .text_signature = "(m11, m22, m33, m12, m13, m23)",
      .constructor =
          constructor<"Symmetric3.__new__", "(m11, m22, m33, m12, m13, m23)", &symmetric3_new>,
      .methods =
          with_copies<Symmetric3>({static_def<"Symmetric3.Zero", "()", &symmetric3_zero>(),
                                   static_def<"Symmetric3.Identity", "()", &symmetric3_identity>(),
                                   def<"Symmetric3.to_numpy", "($self)", &Symmetric3::to_matrix>(),
                                   def<"Symmetric3.matrix", "($self)", &Symmetric3::to_matrix>()}),
      .slots = {{Py_nb_add, slot<&binary<&symmetric3_add>>()},
                {Py_nb_subtract, slot<&binary<&symmetric3_sub>>()},
                {Py_nb_multiply, slot<&symmetric3_multiply>()},
                {Py_mp_subscript, slot<&symmetric3_subscript>()},
                {Py_tp_repr, slot<&unary<&symmetric3_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::python::PyVector3D, kinetra::python::vector3_spec)
KINETRA_DEFINE_CLASS(kinetra::python::PyVector6D, kinetra::python::vector6_spec)
KINETRA_DEFINE_CLASS(kinetra::Symmetric3, kinetra::python::symmetric3_spec)

bool kinetra::python::init_spatial(ModuleBuilder& m) {
  return m.add_classes<PyVector3D, PyVector6D, Symmetric3>();
}
