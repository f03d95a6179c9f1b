#include "kinetra/model/forward_dynamics_derivatives.hpp"

#include <cassert>

#include "kinetra/model/configuration_derivatives.hpp"
#include "kinetra/model/forward_dynamics.hpp"
#include "kinetra/model/inverse_mass_matrix.hpp"

namespace kinetra {

std::expected<void, AlgorithmError> aba_derivatives(const Model& model, Data& data,
                                                    const ConfigurationRef& q,
                                                    const ConfigurationRef& v,
                                                    const ConfigurationRef& tau,
                                                    DerivativeMatrixRef by_q,
                                                    DerivativeMatrixRef by_v,
                                                    DerivativeMatrixRef by_tau) {
  assert(static_cast<std::size_t>(by_q.rows()) == model.nv() && by_q.rows() == by_q.cols());
  DerivativeWorkspace& ws = data.derivatives;
  if (auto ok = check_arguments(model, data, q, {{"v", v}, {"tau", tau}}); !ok) return ok;
  ws.resize(model);
  (void)aba(model, data, q, v, tau, ws.acceleration_solution);
  const ConfigurationRef a = ws.acceleration_solution;
  derivative_kinematics(model, ws, q, &v, &a);
  rnea_derivative_sweep(model, ws, ws.effort_by_q, ws.effort_by_v, nullptr);
  inverse_mass_sweep(model, ws, by_tau);
  by_q.noalias() = -by_tau * ws.effort_by_q;
  by_v.noalias() = -by_tau * ws.effort_by_v;
  return {};
}

std::expected<DynamicsDerivatives, AlgorithmError> aba_derivatives(const Model& model, Data& data,
                                                                   const ConfigurationRef& q,
                                                                   const ConfigurationRef& v,
                                                                   const ConfigurationRef& tau) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  DynamicsDerivatives d{DerivativeMatrix(nv, nv), DerivativeMatrix(nv, nv),
                        DerivativeMatrix(nv, nv)};
  if (auto ok = aba_derivatives(model, data, q, v, tau, d.by_q, d.by_v, d.by_input); !ok) {
    return std::unexpected(std::move(ok.error()));
  }
  return d;
}

std::expected<void, AlgorithmError> step_derivatives(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v,
                                                     const ConfigurationRef& tau, double dt,
                                                     DerivativeMatrixRef by_state,
                                                     DerivativeMatrixRef by_effort) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  assert(by_state.rows() == 2 * nv && by_state.cols() == 2 * nv && by_effort.rows() == 2 * nv &&
         by_effort.cols() == nv);
  // the v rows: dt times the forward dynamics derivatives, plus 1 for v
  auto velocity_rows = by_state.bottomRows(nv);
  auto by_q = velocity_rows.leftCols(nv), by_v = velocity_rows.rightCols(nv);
  auto effort_rows = by_effort.bottomRows(nv);
  if (auto ok = aba_derivatives(model, data, q, v, tau, by_q, by_v, effort_rows); !ok) return ok;
  velocity_rows *= dt;
  by_v.diagonal().array() += 1.0;
  effort_rows *= dt;
  // the q rows: q' = integrate(q, dt v') moves with q itself and with dt times the v rows
  Configuration& step = data.derivatives.acceleration_solution;
  step = dt * (v + dt * step);
  chain_integrate(model, q, step, dt, by_q, true, by_state.topLeftCorner(nv, nv));
  chain_integrate(model, q, step, dt, by_v, false, by_state.topRightCorner(nv, nv));
  chain_integrate(model, q, step, dt, effort_rows, false, by_effort.topRows(nv));
  return {};
}

std::expected<StepDerivatives, AlgorithmError> step_derivatives(const Model& model, Data& data,
                                                                const ConfigurationRef& q,
                                                                const ConfigurationRef& v,
                                                                const ConfigurationRef& tau,
                                                                double dt) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  StepDerivatives d{DerivativeMatrix(2 * nv, 2 * nv), DerivativeMatrix(2 * nv, nv)};
  if (auto ok = step_derivatives(model, data, q, v, tau, dt, d.by_state, d.by_effort); !ok) {
    return std::unexpected(std::move(ok.error()));
  }
  return d;
}

}  // namespace kinetra
