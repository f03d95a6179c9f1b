#pragma once

// Vectors, rotations and rigid motions as the rotation and inverse kinematics functions take
// them: shapes checked first, then finiteness, then the group's own conditions.
#include <Eigen/Core>

#include "kinetra/spatial/se3.hpp"
#include "python/kit/numpy.hpp"

namespace kinetra::python {

// "(3,)", "(4, 4)"
std::string shape_of(const ArrayArg& array);

// Exactly `size` finite values in one dimension.
Result<Eigen::VectorXd> finite_vector(const ArrayArg& array, const char* name, Eigen::Index size);

// A (3, 3) finite rotation matrix: orthogonal as the SE3 constructor checks it, determinant > 0.
Result<SpatialRotation> rotation_from_array(const ArrayArg& array, const char* name);

// The rigid motion of a homogeneous matrix: a rotation, a finite translation, (0, 0, 0, 1) below.
Result<SE3> rigid_motion_from_matrix(const Eigen::Matrix4d& m, const char* name);

// An SE3, or a (4, 4) homogeneous matrix of a rotation and a finite translation.
Result<SE3> rigid_motion_from_object(PyObject* obj, const char* name);

}  // namespace kinetra::python
