#include "python/rigid_motion_arguments.hpp"

#include <string>

#include "python/classes.hpp"
#include "python/kit/convert.hpp"

namespace kinetra::python {

std::string shape_of(const ArrayArg& array) {
  std::string text = "(";
  for (int k = 0; k < array.ndim(); ++k) {
    if (k > 0) text += ", ";
    text += std::to_string(array.dim(k));
  }
  return text + (array.ndim() == 1 ? ",)" : ")");
}

namespace {

std::unexpected<PyError> shape_error(const char* name, const char* expected,
                                     const ArrayArg& array) {
  return value_error(std::string(name) + " must have shape " + expected + ", got " +
                     shape_of(array));
}

std::unexpected<PyError> not_finite(const char* name) {
  return value_error(std::string(name) + " must be finite");
}

// The (rows, cols) values of a 2-d array already checked to have that shape.
Result<Eigen::MatrixXd> matrix_values(const ArrayArg& array) {
  auto values = array.values();
  if (!values) return std::unexpected(values.error());
  Eigen::MatrixXd m(array.dim(0), array.dim(1));
  for (Eigen::Index i = 0; i < m.rows(); ++i) {
    for (Eigen::Index j = 0; j < m.cols(); ++j) m(i, j) = values->at(i, j);
  }
  return m;
}

Result<SpatialRotation> checked_rotation(const SpatialRotation& r, const char* name) {
  if (!r.allFinite()) return not_finite(name);
  if (!is_orthogonal(r) || !(r.determinant() > 0.0)) {
    return value_error(std::string(name) +
                       " is not a rotation matrix (orthogonal with determinant 1)");
  }
  return r;
}

}  // namespace

Result<Eigen::VectorXd> finite_vector(const ArrayArg& array, const char* name, Eigen::Index size) {
  if (array.ndim() != 1 || array.dim(0) != size) {
    std::string expected = "(";
    expected += std::to_string(size) + ",)";
    return shape_error(name, expected.c_str(), array);
  }
  auto values = array.values();
  if (!values) return std::unexpected(values.error());
  Eigen::VectorXd out = values->flatten();
  if (!out.allFinite()) return not_finite(name);
  return out;
}

Result<SpatialRotation> rotation_from_array(const ArrayArg& array, const char* name) {
  if (array.ndim() != 2 || array.dim(0) != 3 || array.dim(1) != 3) {
    return shape_error(name, "(3, 3)", array);
  }
  auto m = matrix_values(array);
  if (!m) return std::unexpected(m.error());
  return checked_rotation(*m, name);
}

Result<SE3> rigid_motion_from_object(PyObject* obj, const char* name) {
  if (Py_TYPE(obj) == PyClass<SE3>::type()) {
    SharedArg<SE3> motion;
    if (!motion.load(obj, name)) return pending_error();
    return motion.get();
  }
  ArrayArg array;
  if (!ArrayArg::from_object(obj, -1, name, array)) return pending_error();
  if (array.ndim() != 2 || array.dim(0) != 4 || array.dim(1) != 4) {
    return shape_error(name, "(4, 4)", array);
  }
  auto m = matrix_values(array);
  if (!m) return std::unexpected(m.error());
  return rigid_motion_from_matrix(*m, name);
}

Result<SE3> rigid_motion_from_matrix(const Eigen::Matrix4d& m, const char* name) {
  if (!m.allFinite()) return not_finite(name);
  if (m.row(3) != Eigen::RowVector4d(0.0, 0.0, 0.0, 1.0)) {
    return value_error(std::string(name) + " must end with the row (0, 0, 0, 1)");
  }
  auto rotation = checked_rotation(m.topLeftCorner<3, 3>(), name);
  if (!rotation) return std::unexpected(rotation.error());
  return SE3{*rotation, m.topRightCorner<3, 1>()};
}

}  // namespace kinetra::python
