#include "kinetra/batch/rollout.hpp"

#include <string>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/batch/interruption.hpp"
#include "kinetra/model/configurations.hpp"
#include "kinetra/model/unchecked.hpp"

namespace kinetra {

namespace {

// Steps of one trajectory with every buffer sized once; the stages call the dynamics kernel, the
// arguments having been checked at the start. A state that loses its quaternions' norm on the
// way (a non-finite step) is refused as before.
class Stepper {
 public:
  Stepper(const Model& model, Data& data)
      : model_(model), data_(data), nv_(static_cast<Eigen::Index>(model.nv())) {
    for (Configuration* buffer : {&a1_, &a2_, &a3_, &a4_, &v_k_, &d2_, &d3_, &rate_, &delta_})
      buffer->resize(nv_);
    q_k_.resize(static_cast<Eigen::Index>(model.nq()));
  }

  // (q, v) under tau for dt into (q_next, v_next)
  std::expected<void, AlgorithmError> step(const double* q, const double* v, const double* tau,
                                           double dt, Integrator integrator, double* q_next,
                                           double* v_next) {
    const Eigen::Map<const Configuration> v0(v, nv_);
    Eigen::Map<Configuration> v_out(v_next, nv_);
    unchecked::aba(model_, data_, q, v, tau, a1_.data());
    if (integrator == Integrator::SemiImplicitEuler) {
      v_out = v0 + dt * a1_;
      delta_ = dt * v_out;
      return integrate(q, q_next);
    }
    // classical RK4 in the chart delta -> integrate(q, delta) around the step's start, where
    // every joint kind gives the rate of delta, so rotations and motions on them keep the order
    v_k_ = v0 + (dt / 2) * a1_;
    delta_ = (dt / 2) * v0;
    if (auto ok = stage(q, tau, a2_); !ok) return ok;
    d2_ = rate_;
    v_k_ = v0 + (dt / 2) * a2_;
    delta_ = (dt / 2) * d2_;
    if (auto ok = stage(q, tau, a3_); !ok) return ok;
    d3_ = rate_;
    v_k_ = v0 + dt * a3_;
    delta_ = dt * d3_;
    if (auto ok = stage(q, tau, a4_); !ok) return ok;
    delta_ = (dt / 6) * (v0 + 2 * d2_ + 2 * d3_ + rate_);
    if (auto ok = integrate(q, q_next); !ok) return ok;
    v_out = v0 + (dt / 6) * (a1_ + 2 * a2_ + 2 * a3_ + a4_);
    return {};
  }

 private:
  // accelerations at integrate(q, delta) moving at v_k, and the rate of delta there
  std::expected<void, AlgorithmError> stage(const double* q, const double* tau,
                                            Configuration& acceleration) {
    for (std::size_t i = 0; i < model_.njoints(); ++i) {
      const std::size_t at = model_.idx_v(i);
      model_.joint_models()[i].chart_rate(delta_.data() + at, v_k_.data() + at, rate_.data() + at);
    }
    if (auto ok = integrate(q, q_k_.data()); !ok) return ok;
    unchecked::aba(model_, data_, q_k_.data(), v_k_.data(), tau, acceleration.data());
    return {};
  }

  // q moved by delta into `out`, refused where a quaternion comes out without a finite norm
  std::expected<void, AlgorithmError> integrate(const double* q, double* out) const {
    for (std::size_t i = 0; i < model_.njoints(); ++i) {
      model_.joint_models()[i].integrate(q + model_.idx_q(i), delta_.data() + model_.idx_v(i),
                                         out + model_.idx_q(i));
    }
    for (std::size_t i : model_.quaternion_joints()) {
      const double* values = out + model_.idx_q(i);
      if (const auto norm = model_.joint_models()[i].invalid_quaternion_norm(values)) {
        return std::unexpected(JointError::invalid_quaternion(model_.joint_names()[i], *norm));
      }
    }
    return {};
  }

  const Model& model_;
  Data& data_;
  Eigen::Index nv_;
  Configuration a1_, a2_, a3_, a4_, v_k_, d2_, d3_, rate_, delta_, q_k_;
};

}  // namespace

std::expected<void, AlgorithmError> rollout(const Model& model, Data& data,
                                            const ConfigurationRef& q0, const ConfigurationRef& v0,
                                            const double* tau, std::size_t steps, double dt,
                                            Integrator integrator, double* q_out, double* v_out) {
  const std::size_t nq = model.nq(), nv = model.nv();
  if (auto ok = check_arguments(model, data, q0, {{"v", v0}}); !ok) return ok;
  batch::row(q_out, 0, nq) = q0;
  batch::row(v_out, 0, nv) = v0;
  Stepper stepper(model, data);
  for (std::size_t k = 0; k < steps; ++k) {
    if (k % 64 == 63 && batch::interrupt_requested()) return std::unexpected(InterruptedError{});
    auto next = stepper.step(q_out + k * nq, v_out + k * nv, tau + k * nv, dt, integrator,
                             q_out + (k + 1) * nq, v_out + (k + 1) * nv);
    if (!next) return std::unexpected(std::move(next.error()).located("step " + std::to_string(k)));
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
