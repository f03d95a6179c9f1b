#pragma once

#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/symmetric3.hpp"
#include "python/kit/error.hpp"
#include "python/kit/numpy.hpp"

namespace kinetra::python {

// A one-dimensional array of length 3.
Result<Vector3D> vector3_from_array(const ArrayArg& array);
// A symmetric (3, 3) array, compared exactly.
Result<Symmetric3> symmetric3_from_array(const ArrayArg& array);

// Internal-invariant failures: the call fails with the fixed text, nothing changes.
inline std::unexpected<PyError> invariant_failure(const char* message) {
  return std::unexpected(PyError{PyExc_RuntimeError, message});
}

}  // namespace kinetra::python
