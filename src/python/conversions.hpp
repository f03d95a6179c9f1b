#pragma once

#include <array>

#include "kinetra/model/model.hpp"
#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/symmetric3.hpp"
#include "python/kit/error.hpp"
#include "python/kit/numpy.hpp"

namespace kinetra::python {

// A one-dimensional array of length 3.
Result<Vector3D> vector3_from_array(const ArrayArg& array);
// A symmetric (3, 3) array, compared exactly.
Result<Symmetric3> symmetric3_from_array(const ArrayArg& array);

// Reads the vectors into `flat` once each has the size the model expects (the first nq, the
// others nv), checked in order: a vector of the wrong size is never converted nor copied.
template <std::size_t N>
Result<void> read_vectors(const Model& model, const char* prefix, const char* const (&names)[N],
                          const Array<-1>* const (&vectors)[N], std::array<FlatValues, N>& flat) {
  const std::size_t nq = model.nq(), nv = model.nv();
  for (std::size_t i = 0; i < N; ++i) {
    const std::size_t expected = i == 0 ? nq : nv;
    const auto actual = static_cast<std::size_t>(vectors[i]->size());
    if (actual != expected) {
      return value_error(prefix +
                         ConfigurationError::invalid_size(names[i], expected, actual).display());
    }
  }
  for (std::size_t i = 0; i < N; ++i) {
    auto values = vectors[i]->values();
    if (!values) return std::unexpected(values.error());
    flat[i].assign(*values);
  }
  return {};
}

// Internal-invariant failures: the call fails with the fixed text, nothing changes.
inline std::unexpected<PyError> invariant_failure(const char* message) {
  return std::unexpected(PyError{PyExc_RuntimeError, message});
}

}  // namespace kinetra::python
