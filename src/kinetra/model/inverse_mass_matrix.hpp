#pragma once

#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/derivative_workspace.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// M(q)^-1 (nv x nv, both triangles filled) by an articulated-body recursion: no factorisation
// of M. q must hold exactly nq values. A joint whose subtree has no inertia along its axis gives
// non-finite entries.
std::expected<DerivativeMatrix, AlgorithmError> inverse_mass_matrix(const Model& model, Data& data,
                                                                    const ConfigurationRef& q);
// The same into `inverse` (nv x nv), allocating nothing once the data has been used with this
// model; on error nothing is written.
std::expected<void, AlgorithmError> inverse_mass_matrix(const Model& model, Data& data,
                                                        const ConfigurationRef& q,
                                                        DerivativeMatrixRef inverse);

// The recursion on a sized workspace after derivative_kinematics.
void inverse_mass_sweep(const Model& model, DerivativeWorkspace& ws, DerivativeMatrixRef inverse);

}  // namespace kinetra
