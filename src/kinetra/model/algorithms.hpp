#pragma once

// Every rigid-body algorithm on a Model and its Data.
#include "kinetra/model/center_of_mass.hpp"
#include "kinetra/model/configurations.hpp"
#include "kinetra/model/energy.hpp"
#include "kinetra/model/forward_dynamics.hpp"
#include "kinetra/model/forward_kinematics.hpp"
#include "kinetra/model/frames.hpp"
#include "kinetra/model/inverse_dynamics.hpp"
#include "kinetra/model/jacobians.hpp"
#include "kinetra/model/mass_matrix.hpp"
