#pragma once

#include <cstddef>
#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

enum class Integrator {
  // v' = v + dt aba(q, v, tau), q' = integrate(q, dt v')
  SemiImplicitEuler,
  // fourth-order Runge-Kutta on the configuration manifold, commutator-free (every stage moves
  // q by integrate): the classical method on vector-space joints, fourth order on rotation
  // groups; floating and planar joints, whose integrate moves the position along the axes it
  // starts from, keep only first order in their positions
  RungeKutta4,
};

// A trajectory of `steps` steps of length dt from (q0, v0) under the efforts tau (steps rows of
// nv values, row k acting during step k), by forward dynamics and the configuration-space
// integration: q_out gets steps + 1 rows of nq values, v_out steps + 1 rows of nv, the first
// being q0 and v0. q0 and v0 must hold nq and nv values. An error within the trajectory names
// its step ("step 12: ..."); rows up to that step are written.
KINETRA_API std::expected<void, AlgorithmError> rollout(const Model& model, Data& data,
                                            const ConfigurationRef& q0, const ConfigurationRef& v0,
                                            const double* tau, std::size_t steps, double dt,
                                            Integrator integrator, double* q_out, double* v_out);

namespace batch {

// n trajectories: q0 n x nq, v0 n x nv, tau n x steps x nv, q_out n x (steps + 1) x nq and
// v_out n x (steps + 1) x nv, row-major; each the single trajectory's, on up to `threads`
// threads. Every q0 is checked before any row is written; an error names its row ("row 3: ...",
// "row 3, step 12: ..."). An error within a trajectory leaves the outputs partly written.
KINETRA_API std::expected<void, AlgorithmError> rollout(const Model& model, std::size_t n, std::size_t steps,
                                            const double* q0, const double* v0, const double* tau,
                                            double dt, Integrator integrator, double* q_out,
                                            double* v_out, std::size_t threads);

}  // namespace batch
}  // namespace kinetra
