#pragma once

#include "kinetra/export.hpp"

#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Forward dynamics in a model's reduced coordinates (q_r, v_r, tau_r; see ReducedCoordinates):
// a_r with G^T M G a_r = tau_r - G^T b, M and b = rnea(q, G v_r, 0) of the full tree at
// q = E q_r + offsets. The full tree's accelerations are G a_r. A singular reduced mass matrix
// gives non-finite accelerations.
KINETRA_API std::expected<Configuration, AlgorithmError> reduced_forward_dynamics(
    const Model& model, Data& data, const ConfigurationRef& q_r, const ConfigurationRef& v_r,
    const ConfigurationRef& tau_r);

}  // namespace kinetra
