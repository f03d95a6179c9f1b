#include "kinetra/batch/rollout.hpp"

#include <cmath>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/model/forward_dynamics.hpp"

namespace kinetra {

namespace {

// q moved by dv along the joints' axes; a continuous joint's (cos, sin) pair turns by its angle.
Configuration integrate_state(const Model& model, const ConfigurationRef& q,
                              const Configuration& dv) {
  Configuration out = q;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const auto iq = static_cast<Eigen::Index>(model.idx_q(i));
    const auto iv = static_cast<Eigen::Index>(model.idx_v(i));
    switch (model.joint_models()[i].type()) {
      case JointType::Continuous: {
        const double angle = std::atan2(q[iq + 1], q[iq]) + dv[iv];
        out[iq] = std::cos(angle);
        out[iq + 1] = std::sin(angle);
        break;
      }
      case JointType::Revolute:
      case JointType::Prismatic:
        out[iq] += dv[iv];
        break;
      case JointType::Fixed:
        break;
    }
  }
  return out;
}

// One step from (q, v) under `tau`; returns the new (q, v).
std::expected<std::pair<Configuration, Configuration>, AlgorithmError> step(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    const ConfigurationRef& tau, double dt, Integrator integrator) {
  auto a1 = aba(model, data, q, v, tau);
  if (!a1) return std::unexpected(a1.error());
  if (integrator == Integrator::SemiImplicitEuler) {
    Configuration v_next = v + dt * *a1;
    Configuration q_next = integrate_state(model, q, dt * v_next);
    return std::pair{std::move(q_next), std::move(v_next)};
  }
  // slopes (v_k, a_k) at q + h v_(k-1), all in the tangent space at q
  const Configuration v2 = v + (dt / 2) * *a1;
  auto a2 = aba(model, data, integrate_state(model, q, (dt / 2) * v), v2, tau);
  if (!a2) return std::unexpected(a2.error());
  const Configuration v3 = v + (dt / 2) * *a2;
  auto a3 = aba(model, data, integrate_state(model, q, (dt / 2) * v2), v3, tau);
  if (!a3) return std::unexpected(a3.error());
  const Configuration v4 = v + dt * *a3;
  auto a4 = aba(model, data, integrate_state(model, q, dt * v3), v4, tau);
  if (!a4) return std::unexpected(a4.error());
  Configuration v_next = v + (dt / 6) * (*a1 + 2 * *a2 + 2 * *a3 + *a4);
  Configuration q_next = integrate_state(model, q, (dt / 6) * (v + 2 * v2 + 2 * v3 + v4));
  return std::pair{std::move(q_next), std::move(v_next)};
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
    auto next = step(model, data, batch::row(q_out, k, nq), batch::row(v_out, k, nv),
                     batch::row(tau, k, nv), dt, integrator);
    if (!next) return std::unexpected(next.error());
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
  return for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) {
        return kinetra::rollout(model, data, row(q0, i, nq), row(v0, i, nv), tau + i * steps * nv,
                                steps, dt, integrator, q_out + i * (steps + 1) * nq,
                                v_out + i * (steps + 1) * nv);
      },
      steps * (integrator == Integrator::RungeKutta4 ? 4 : 1));
}

}  // namespace batch
}  // namespace kinetra
