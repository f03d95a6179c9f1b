#pragma once

// Derivatives of the dynamics and of the configuration-space operations.
#include "kinetra/model/configuration_derivatives.hpp"
#include "kinetra/model/forward_dynamics_derivatives.hpp"
#include "kinetra/model/inverse_dynamics_derivatives.hpp"
#include "kinetra/model/inverse_mass_matrix.hpp"
