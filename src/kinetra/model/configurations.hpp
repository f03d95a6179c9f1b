#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"
#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

// Every joint's neutral values, in joint order (length nq): identity quaternions, angle 0.
KINETRA_API std::expected<Configuration, ConfigurationError> neutral(const Model& model);

// Every joint's random configuration, drawn in joint order from `rng` (length nq); the error
// names the first joint whose bounds admit no sample.
KINETRA_API std::expected<Configuration, EmptyRangeError> random_configuration(const Model& model,
                                                                               Rng& rng);

// q moved by the velocity v for unit time, joint by joint: quaternions by the exponential map,
// (cos, sin) pairs by rotation, floating and planar positions along the child frame's axes, the
// rest by addition.
KINETRA_API std::expected<Configuration, AlgorithmError> integrate(const Model& model,
                                                                   const ConfigurationRef& q,
                                                                   const ConfigurationRef& v);

// The v (length nv) with integrate(q0, v) == q1; rotations take the shorter way.
KINETRA_API std::expected<Configuration, AlgorithmError> difference(const Model& model,
                                                                    const ConfigurationRef& q0,
                                                                    const ConfigurationRef& q1);

// integrate(q0, t * difference(q0, q1)): q0 at t = 0, q1 at t = 1.
KINETRA_API std::expected<Configuration, AlgorithmError> interpolate(const Model& model,
                                                                     const ConfigurationRef& q0,
                                                                     const ConfigurationRef& q1,
                                                                     double t);

// q with unit quaternions and unit (cos, sin) pairs.
KINETRA_API std::expected<Configuration, AlgorithmError> normalize(const Model& model,
                                                                   const ConfigurationRef& q);

}  // namespace kinetra
