#pragma once

#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/derivative_workspace.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Derivatives of a joint-space map f(q, v, x) with respect to q (in the tangent space: column k
// is d/de f(integrate(q, e unit_k)) at e = 0), v and the third argument; nv x nv each.
struct DynamicsDerivatives {
  DerivativeMatrix by_q;
  DerivativeMatrix by_v;
  DerivativeMatrix by_input;
};

// d tau / dq, d tau / dv and d tau / da = M(q) of rnea at (q, v, a), by differentiating the
// Newton-Euler sweep through the spatial algebra. q, v, a must hold exactly nq, nv, nv values.
std::expected<DynamicsDerivatives, AlgorithmError> rnea_derivatives(const Model& model,
                                                                    Data& data,
                                                                    const ConfigurationRef& q,
                                                                    const ConfigurationRef& v,
                                                                    const ConfigurationRef& a);
// The same into caller storage (nv x nv each), allocating nothing once the data has been used
// with this model; on error nothing is written.
std::expected<void, AlgorithmError> rnea_derivatives(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v,
                                                     const ConfigurationRef& a,
                                                     DerivativeMatrixRef by_q,
                                                     DerivativeMatrixRef by_v,
                                                     DerivativeMatrixRef by_a);

// The sweeps behind it, on arguments already checked and a workspace already sized:
// derivative_kinematics for (q, v, a) first. `mass` may be null.
void rnea_derivative_sweep(const Model& model, DerivativeWorkspace& ws, DerivativeMatrixRef by_q,
                           DerivativeMatrixRef by_v, DerivativeMatrixRef* mass);

}  // namespace kinetra
