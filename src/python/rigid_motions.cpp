// Python functions of rotations and rigid motions: exponential maps, their Jacobians and the
// conversions between rotation forms.
#include <cmath>

#include "kinetra/spatial/exponential_maps.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/rotation_conversions.hpp"
#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/rigid_motion_arguments.hpp"

namespace kinetra::python {
namespace {

Result<Vector3D> rotation_vector(const Array<-1>& w) {
  auto values = finite_vector(w, "w", 3);
  if (!values) return std::unexpected(values.error());
  return Vector3D(*values);
}

Result<SpatialMotion> twist_vector(const Array<-1>& twist) {
  auto values = finite_vector(twist, "twist", 6);
  if (!values) return std::unexpected(values.error());
  return SpatialMotion(*values);
}

// f of the checked argument: Result<Out> from `parse(argument)` then `f(value)`.
template <auto Parse, auto F, class Argument>
auto checked(const Argument& argument) -> Result<decltype(F(*Parse(argument)))> {
  auto value = Parse(argument);
  if (!value) return std::unexpected(value.error());
  return F(*value);
}

Result<SpatialRotation> rotation_argument(const Array<-1>& r) {
  return rotation_from_array(r, "R");
}
Result<SE3> motion_argument(PyObject* m) { return rigid_motion_from_object(m, "M"); }

Result<SpatialRotation> exp3_binding(const Array<-1>& w) {
  return checked<&rotation_vector, &exp3>(w);
}
Result<Vector3D> log3_binding(const Array<-1>& r) { return checked<&rotation_argument, &log3>(r); }
Result<SpatialRotation> jexp3_binding(const Array<-1>& w) {
  return checked<&rotation_vector, &jexp3>(w);
}
Result<SpatialRotation> jlog3_binding(const Array<-1>& r) {
  return checked<&rotation_argument, &jlog3>(r);
}
Result<SE3> exp6_binding(const Array<-1>& twist) { return checked<&twist_vector, &exp6>(twist); }
Result<SpatialMotion> log6_binding(PyObject* m) { return checked<&motion_argument, &log6>(m); }
Result<SpatialTransform> jexp6_binding(const Array<-1>& twist) {
  return checked<&twist_vector, &jexp6>(twist);
}
Result<SpatialTransform> jlog6_binding(PyObject* m) { return checked<&motion_argument, &jlog6>(m); }

Result<SpatialRotation> rpy_to_matrix_binding(double roll, double pitch, double yaw) {
  if (!(std::isfinite(roll) && std::isfinite(pitch) && std::isfinite(yaw))) {
    return value_error("roll, pitch and yaw must be finite");
  }
  return rotation_from_euler_angles(roll, pitch, yaw);
}

Result<Vector3D> matrix_to_rpy_binding(const Array<-1>& r) {
  return checked<&rotation_argument, &euler_angles_from_rotation>(r);
}

Result<SpatialRotation> quaternion_to_matrix_binding(const Array<-1>& xyzw) {
  auto values = finite_vector(xyzw, "quaternion", 4);
  if (!values) return std::unexpected(values.error());
  if (stored_quaternion_norm(values->data()) == 0.0) {
    return value_error("quaternion must have a non-zero norm");
  }
  return read_quaternion(values->data()).toRotationMatrix();
}

Result<Eigen::Vector4d> matrix_to_quaternion_binding(const Array<-1>& r) {
  auto rotation = rotation_argument(r);
  if (!rotation) return std::unexpected(rotation.error());
  return quaternion_from_rotation(*rotation).coeffs();
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_rigid_motions(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"exp3", "(w)", &exp3_binding>(
          "The rotation matrix (3, 3) of the rotation vector w: |w| radians about w / |w|."),
      def<"log3", "(R)", &log3_binding>(
          "The rotation vector (3,) of the rotation matrix R, of norm at most pi: exp3(log3(R)) "
          "== R."),
      def<"exp6", "(twist)", &exp6_binding>(
          "The SE3 reached by moving along the constant twist (angular; linear), given in the "
          "moving frame's axes, for unit time."),
      def<"log6", "(M)", &log6_binding>(
          "The twist (6,), angular part first, with exp6(log6(M)) == M; M is an SE3 or a (4, 4) "
          "homogeneous matrix."),
      def<"jexp3", "(w)", &jexp3_binding>(
          "The right Jacobian (3, 3) of exp3: exp3(w + dw) = exp3(w) exp3(jexp3(w) dw) to first "
          "order."),
      def<"jlog3", "(R)", &jlog3_binding>(
          "The Jacobian (3, 3) of log3 for a turn in R's own axes: log3(R exp3(dw)) = log3(R) + "
          "jlog3(R) dw to first order; the inverse of jexp3(log3(R))."),
      def<"jexp6", "(twist)", &jexp6_binding>(
          "The right Jacobian (6, 6) of exp6: exp6(x + dx) = exp6(x) exp6(jexp6(x) dx) to first "
          "order."),
      def<"jlog6", "(M)", &jlog6_binding>(
          "The Jacobian (6, 6) of log6 for a motion in M's own axes: log6(M exp6(d)) = log6(M) + "
          "jlog6(M) d to first order; the inverse of jexp6(log6(M))."),
      def<"rpy_to_matrix", "(r, p, y)", &rpy_to_matrix_binding>(
          "The rotation matrix (3, 3) Rz(y) Ry(p) Rx(r) of roll r, pitch p and yaw y about the "
          "fixed x, y and z axes (the URDF convention)."),
      def<"matrix_to_rpy", "(R)", &matrix_to_rpy_binding>(
          "(roll, pitch, yaw), a (3,) array, with rpy_to_matrix(*rpy) == R: roll and yaw in "
          "[-pi, pi], pitch in [-pi/2, pi/2]; at pitch +-pi/2 the yaw is 0."),
      def<"quaternion_to_matrix", "(xyzw)", &quaternion_to_matrix_binding>(
          "The rotation matrix (3, 3) of the quaternion (x, y, z, w), scalar last; it is scaled "
          "to unit norm first."),
      def<"matrix_to_quaternion", "(R)", &matrix_to_quaternion_binding>(
          "The unit quaternion (x, y, z, w), scalar last, of the rotation matrix R, with w >= 0.")};
  return m.add_functions(functions);
}
