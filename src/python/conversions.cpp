#include "python/conversions.hpp"

namespace kinetra::python {

Result<Vector3D> vector3_from_array(const ArrayArg& array) {
  if (array.ndim() != 1 || array.dim(0) != 3) {
    return value_error("Input array must be one-dimensional with length 3.");
  }
  auto values = array.values();
  if (!values) return std::unexpected(values.error());
  return Vector3D(values->at(0), values->at(1), values->at(2));
}

Result<Symmetric3> symmetric3_from_array(const ArrayArg& array) {
  if (array.ndim() != 2 || array.dim(0) != 3 || array.dim(1) != 3) {
    return value_error("Input array must be of shape (3, 3)");
  }
  auto values = array.values();
  if (!values) return std::unexpected(values.error());
  const ArrayView& m = *values;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      // NaN != NaN: a NaN anywhere fails
      if (!(m.at(i, j) == m.at(j, i))) return value_error("Input array must be symmetric");
    }
  }
  return Symmetric3{{m.at(0, 0), m.at(1, 1), m.at(2, 2), m.at(0, 1), m.at(0, 2), m.at(1, 2)}};
}

}  // namespace kinetra::python
