#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Joint efforts tau = M(q) a + C(q, v) v + g(q) by recursive Newton-Euler. q, v, a must hold
// exactly nq, nv, nv values. The data's observable state is neither read nor changed.
KINETRA_API std::expected<Configuration, AlgorithmError> rnea(const Model& model, Data& data,
                                                              const ConfigurationRef& q,
                                                              const ConfigurationRef& v,
                                                              const ConfigurationRef& a);

// Coriolis, centrifugal and gravity efforts: rnea(q, v, 0).
KINETRA_API std::expected<Configuration, AlgorithmError> nonlinear_effects(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v);

// Gravity efforts: rnea(q, 0, 0), the gradient of the potential energy.
KINETRA_API std::expected<Configuration, AlgorithmError> generalized_gravity(
    const Model& model, Data& data, const ConfigurationRef& q);

// The same into `tau` (nv values), allocating nothing; on error `tau` is unchanged.
KINETRA_API std::expected<void, AlgorithmError> rnea(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v,
                                                     const ConfigurationRef& a,
                                                     Eigen::Ref<Configuration> tau);
KINETRA_API std::expected<void, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                                  const ConfigurationRef& q,
                                                                  const ConfigurationRef& v,
                                                                  Eigen::Ref<Configuration> tau);
KINETRA_API std::expected<void, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                                    const ConfigurationRef& q,
                                                                    Eigen::Ref<Configuration> tau);

}  // namespace kinetra
