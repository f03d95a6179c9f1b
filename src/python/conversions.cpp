#include "python/conversions.hpp"

namespace kinetra::python {

Result<Vector3D> vector3_from_array(const ArrayView& array) {
  if (array.ndim() != 1 || array.dim(0) != 3) {
    return value_error("Input array must be one-dimensional with length 3.");
  }
  return Vector3D(array.at(0), array.at(1), array.at(2));
}

Result<Symmetric3> symmetric3_from_array(const ArrayView& array) {
  if (array.ndim() != 2 || array.dim(0) != 3 || array.dim(1) != 3) {
    return value_error("Input array must be of shape (3, 3)");
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      // NaN != NaN: a NaN anywhere fails
      if (!(array.at(i, j) == array.at(j, i))) return value_error("Input array must be symmetric");
    }
  }
  return Symmetric3{{array.at(0, 0), array.at(1, 1), array.at(2, 2), array.at(0, 1), array.at(0, 2),
                     array.at(1, 2)}};
}

}  // namespace kinetra::python
