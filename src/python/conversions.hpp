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
// others nv), checked in order: a vector of the wrong size is never converted nor copied. For a
// model with mimic joints the sizes are the reduced ones, and with `expand` the values read are
// the full tree's (q = E q_r + offsets, the others G x_r).
template <std::size_t N>
Result<void> read_vectors(const Model& model, const char* prefix, const char* const (&names)[N],
                          const Array<-1>* const (&vectors)[N], std::array<FlatValues, N>& flat,
                          bool expand = true) {
  const ReducedCoordinates& reduced = model.reduced_coordinates();
  const std::size_t nq = reduced.nq(model), nv = reduced.nv(model);
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
    if (expand && !reduced.empty()) {
      flat[i].assign(i == 0 ? reduced.expand_configuration(model, flat[i].map())
                            : reduced.expand_velocity(model, flat[i].map()));
    }
  }
  return {};
}

// A result in the full tree's coordinates brought to the model's reduced ones: the entries of
// q or v that do not follow a mimic, G^T tau. Unchanged for a model without mimic joints.
enum class ReducedAs { Configuration, Velocity, Effort };
template <class Error>
std::expected<Configuration, Error> in_reduced(const Model& model, ReducedAs kind,
                                               std::expected<Configuration, Error>&& result) {
  const ReducedCoordinates& reduced = model.reduced_coordinates();
  if (!result || reduced.empty()) return std::move(result);
  switch (kind) {
    case ReducedAs::Configuration:
      return reduced.keep_configuration(*result);
    case ReducedAs::Velocity:
      return reduced.keep_velocity(*result);
    case ReducedAs::Effort:
      return reduced.project_effort(*result);
  }
  return std::move(result);
}

// Internal-invariant failures: the call fails with the fixed text, nothing changes.
inline std::unexpected<PyError> invariant_failure(const char* message) {
  return std::unexpected(PyError{PyExc_RuntimeError, message});
}

}  // namespace kinetra::python
