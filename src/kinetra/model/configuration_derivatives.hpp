#pragma once

#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/derivative_workspace.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Jacobians of q1 = integrate(q, v) (nv x nv, block diagonal by joint), q1 measured in the
// tangent space at the result (difference(q1_nominal, q1_perturbed)) and q perturbed in its
// tangent space (integrate(q, e unit_k)). q and v must hold nq and nv values; every quaternion a
// finite non-zero norm. On error nothing is written.
std::expected<void, AlgorithmError> integrate_derivatives(const Model& model,
                                                          const ConfigurationRef& q,
                                                          const ConfigurationRef& v,
                                                          DerivativeMatrixRef by_q,
                                                          DerivativeMatrixRef by_v);

// Jacobians of v = difference(q0, q1) (nv x nv, block diagonal by joint) for q0 and q1
// perturbed in their tangent spaces. On error nothing is written.
std::expected<void, AlgorithmError> difference_derivatives(const Model& model,
                                                           const ConfigurationRef& q0,
                                                           const ConfigurationRef& q1,
                                                           DerivativeMatrixRef by_q0,
                                                           DerivativeMatrixRef by_q1);

// Applies joint by joint, on rows of the v layout, out = by_q + scale * by_v * rows for the
// integrate Jacobians at (q, v): the tangent-space rate of integrate(q(e), v(e)) when q moves
// along the columns of 1 (placed on the diagonal blocks) and v along those of `rows`. `out` may
// not alias `rows`. Arguments already checked.
void chain_integrate(const Model& model, const ConfigurationRef& q, const ConfigurationRef& v,
                     double scale, DerivativeMatrixConstRef rows, bool add_by_q,
                     DerivativeMatrixRef out);

}  // namespace kinetra
