#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// 1/2 sum_i v_i . (I_i v_i) over the body velocities for (q, v).
KINETRA_API std::expected<double, AlgorithmError> kinetic_energy(const Model& model, Data& data,
                                                                 const ConfigurationRef& q,
                                                                 const ConfigurationRef& v);

// -sum_i m_i g . c_i with c_i the world centre of mass of body i, so that its gradient is the
// gravity effort. The data's observable state is neither read nor changed.
KINETRA_API std::expected<double, AlgorithmError> potential_energy(const Model& model, Data& data,
                                                                   const ConfigurationRef& q);

// The robot's momentum (angular momentum about the centre of mass of the moving bodies; linear
// momentum) in world axes for (q, v); bodies welded to the world are left out, unlike in
// center_of_mass. With no moving mass, the angular part is about the world origin.
KINETRA_API std::expected<Vector6D, AlgorithmError> centroidal_momentum(const Model& model,
                                                                        Data& data,
                                                                        const ConfigurationRef& q,
                                                                        const ConfigurationRef& v);

}  // namespace kinetra
