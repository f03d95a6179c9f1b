#pragma once

#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/inverse_dynamics_derivatives.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// d qdd / dq, d qdd / dv and d qdd / dtau = M^-1 of aba at (q, v, tau), q in the tangent space:
// -M^-1 times the inverse dynamics derivatives at a = aba(q, v, tau), M^-1 by its own
// recursion. q, v, tau must hold exactly nq, nv, nv values.
std::expected<DynamicsDerivatives, AlgorithmError> aba_derivatives(const Model& model, Data& data,
                                                                   const ConfigurationRef& q,
                                                                   const ConfigurationRef& v,
                                                                   const ConfigurationRef& tau);
// The same into caller storage (nv x nv each), allocating nothing once the data has been used
// with this model; on error nothing is written.
std::expected<void, AlgorithmError> aba_derivatives(const Model& model, Data& data,
                                                    const ConfigurationRef& q,
                                                    const ConfigurationRef& v,
                                                    const ConfigurationRef& tau,
                                                    DerivativeMatrixRef by_q,
                                                    DerivativeMatrixRef by_v,
                                                    DerivativeMatrixRef by_tau);

// The Jacobians of one semi-implicit Euler step v' = v + dt aba(q, v, tau),
// q' = integrate(q, dt v') for the state x = (q in the tangent space, v): A = dx'/dx
// (2nv x 2nv) and B = dx'/dtau (2nv x nv), the q rows measured as
// difference(q'_nominal, q'_perturbed). dt must be finite and positive.
struct StepDerivatives {
  DerivativeMatrix by_state;
  DerivativeMatrix by_effort;
};
std::expected<StepDerivatives, AlgorithmError> step_derivatives(const Model& model, Data& data,
                                                                const ConfigurationRef& q,
                                                                const ConfigurationRef& v,
                                                                const ConfigurationRef& tau,
                                                                double dt);
// The same into caller storage, allocating nothing once the data has been used with this
// model; on error nothing is written.
std::expected<void, AlgorithmError> step_derivatives(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v,
                                                     const ConfigurationRef& tau, double dt,
                                                     DerivativeMatrixRef by_state,
                                                     DerivativeMatrixRef by_effort);

}  // namespace kinetra
