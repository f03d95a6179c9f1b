#include "kinetra/batch/rollout.hpp"

#include <string>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/batch/interruption.hpp"
#include "kinetra/model/configurations.hpp"
#include "kinetra/model/forward_dynamics.hpp"

namespace kinetra {

namespace {

// One step from (q, v) under `tau`; returns the new (q, v).
std::expected<std::pair<Configuration, Configuration>, AlgorithmError> step(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    const ConfigurationRef& tau, double dt, Integrator integrator) {
  auto a1 = aba(model, data, q, v, tau);
  if (!a1) return std::unexpected(a1.error());
  if (integrator == Integrator::SemiImplicitEuler) {
    Configuration v_next = v + dt * *a1;
    auto q_next = integrate(model, q, dt * v_next);
    if (!q_next) return std::unexpected(q_next.error());
    return std::pair{std::move(*q_next), std::move(v_next)};
  }
  // classical RK4 in the chart delta -> integrate(q, delta) around the step's start, where
  // every joint kind gives the rate of delta, so rotations and motions on them keep the order
  Configuration rate(v.size());
  auto stage = [&](const Configuration& delta,
                   const Configuration& v_k) -> std::expected<Configuration, AlgorithmError> {
    for (std::size_t i = 0; i < model.njoints(); ++i) {
      const std::size_t at = model.idx_v(i);
      model.joint_models()[i].chart_rate(delta.data() + at, v_k.data() + at, rate.data() + at);
    }
    auto q_k = integrate(model, q, delta);
    if (!q_k) return std::unexpected(q_k.error());
    return aba(model, data, *q_k, v_k, tau);
  };
  const Configuration v2 = v + (dt / 2) * *a1;
  auto a2 = stage((dt / 2) * v, v2);
  if (!a2) return std::unexpected(a2.error());
  const Configuration d2 = rate;
  const Configuration v3 = v + (dt / 2) * *a2;
  auto a3 = stage((dt / 2) * d2, v3);
  if (!a3) return std::unexpected(a3.error());
  const Configuration d3 = rate;
  const Configuration v4 = v + dt * *a3;
  auto a4 = stage(dt * d3, v4);
  if (!a4) return std::unexpected(a4.error());
  auto q_next = integrate(model, q, (dt / 6) * (v + 2 * d2 + 2 * d3 + rate));
  if (!q_next) return std::unexpected(q_next.error());
  Configuration v_next = v + (dt / 6) * (*a1 + 2 * *a2 + 2 * *a3 + *a4);
  return std::pair{std::move(*q_next), std::move(v_next)};
}

}  // namespace

std::expected<void, AlgorithmError> rollout(const Model& model, Data& data,
                                            const ConfigurationRef& q0, const ConfigurationRef& v0,
                                            const double* tau, std::size_t steps, double dt,
                                            Integrator integrator, double* q_out, double* v_out) {
  const std::size_t nq = model.nq(), nv = model.nv();
  if (auto ok = check_arguments(model, data, q0, {{"v", v0}}); !ok) return ok;
  batch::row(q_out, 0, nq) = q0;
  batch::row(v_out, 0, nv) = v0;
  for (std::size_t k = 0; k < steps; ++k) {
    if (k % 64 == 63 && batch::interrupt_requested()) return std::unexpected(InterruptedError{});
    auto next = step(model, data, batch::row(q_out, k, nq), batch::row(v_out, k, nv),
                     batch::row(tau, k, nv), dt, integrator);
    if (!next) return std::unexpected(std::move(next.error()).located("step " + std::to_string(k)));
    batch::row(q_out, k + 1, nq) = next->first;
    batch::row(v_out, k + 1, nv) = next->second;
  }
  return {};
}

namespace batch {

std::expected<void, AlgorithmError> rollout(const Model& model, std::size_t n, std::size_t steps,
                                            const double* q0, const double* v0, const double* tau,
                                            double dt, Integrator integrator, double* q_out,
                                            double* v_out, std::size_t threads) {
  const std::size_t nq = model.nq(), nv = model.nv();
  if (auto ok = check_rows(model, n, q0); !ok) return ok;
  return for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) -> std::expected<void, AlgorithmError> {
        auto done = kinetra::rollout(model, data, row(q0, i, nq), row(v0, i, nv),
                                     tau + i * steps * nv, steps, dt, integrator,
                                     q_out + i * (steps + 1) * nq, v_out + i * (steps + 1) * nv);
        if (!done) {
          return std::unexpected(std::move(done.error()).located("row " + std::to_string(i)));
        }
        return done;
      },
      steps * (integrator == Integrator::RungeKutta4 ? 4 : 1));
}

}  // namespace batch
}  // namespace kinetra
