// Python class SE3.
#include <cmath>

#include "kinetra/spatial/debug.hpp"
#include "kinetra/spatial/exponential_maps.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

Result<Vector3D> translation_from_array(const ArrayArg& t) {
  if (t.dim(0) != 3) {
    return value_error("Invalid input size. Expected a translation of shape (3,), got " +
                       std::to_string(t.dim(0)) + ".");
  }
  auto values = t.values();
  if (!values) return std::unexpected(values.error());
  return Vector3D(values->at(0), values->at(1), values->at(2));
}

Result<SE3> se3_new(const Array<2>& rotation, const Array<1>& translation) {
  if (rotation.dim(0) != 3 || rotation.dim(1) != 3) {
    return value_error("Invalid input size. Expected a rotation of shape (3,3), got " +
                       rotation.shape_text());
  }
  auto t = translation_from_array(translation);
  if (!t) return std::unexpected(t.error());
  auto r = rotation.values();
  if (!r) return std::unexpected(r.error());
  SE3 m;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m.rotation(i, j) = r->at(i, j);
  }
  if (!is_orthogonal(m.rotation)) return value_error("The rotation matrix is not orthogonal.");
  m.translation = *t;
  return m;
}

SE3 se3_identity() { return SE3::identity(); }
SE3 se3_random() { return SE3::random(thread_rng()); }
SE3 se3_copy(const SE3& m) { return m; }
SE3 se3_compose(const SE3& a, const SE3& b) { return a * b; }
Eigen::Matrix4d se3_homogeneous(const SE3& m) {
  Eigen::Matrix4d h = Eigen::Matrix4d::Identity();
  h.topLeftCorner<3, 3>() = m.rotation;
  h.topRightCorner<3, 1>() = m.translation;
  return h;
}
Result<void> se3_set_translation(SE3& m, const Array<1>& translation) {
  auto t = translation_from_array(translation);
  if (!t) return std::unexpected(t.error());
  m.translation = *t;
  return {};
}
std::string se3_repr(const SE3& m) { return debug_value(m).compact(); }
Result<SE3> se3_interpolate(const SE3& m0, const SE3& m1, double t) {
  if (!std::isfinite(t)) return value_error("t must be finite");
  return interpolate(m0, m1, t);
}

ClassSpec se3_spec() {
  return {
      .name = "SE3",
      .text_signature = "(rotation, translation)",
      .doc = "Python wrapper for the SE(3) group.",
      .constructor = constructor<"SE3.__new__", "(rotation, translation)", &se3_new>,
      .methods = with_copies<SE3>({static_def<"SE3.Identity", "()", &se3_identity>(),
                                   static_def<"SE3.Random", "()", &se3_random>(),
                                   def<"SE3.inverse", "($self)", &SE3::inverse>(),
                                   def<"SE3.copy", "($self)", &se3_copy>(),
                                   static_def<"SE3.interpolate", "(M0, M1, t)", &se3_interpolate>(
                                       "M0 exp6(t log6(M0^-1 M1)): M0 at t = 0, M1 at t = 1, "
                                       "moving at a constant twist in between.")}),
      .properties = {property("rotation", &getter<&SE3::rotation>),
                     property("translation", &getter<&SE3::translation>,
                              &setter<"translation", &se3_set_translation>),
                     property("homogeneous", &getter<&se3_homogeneous>)},
      .slots = {{Py_nb_multiply, slot<&binary<&se3_compose>>()},
                {Py_tp_repr, slot<&unary<&se3_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::SE3, kinetra::python::se3_spec)

// A member-less submodule SE3 comes first; the class SE3 replaces it as attribute right after.
bool kinetra::python::init_se3(ModuleBuilder& m) {
  return m.add_submodule("SE3", PyModule_New("SE3")) && m.add_classes<SE3>();
}
