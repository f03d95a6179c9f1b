// Analytical derivatives of the dynamics on the shared iiwa, panda and humanoid_g1 (fixed and
// floating), beside one rnea and one aba, central differences of kinetra's own rnea and aba, and
// the batched step derivatives on one thread.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "kinetra/batch/batched_derivatives.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/derivatives.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

struct Robot {
  Model model;
  Data data;
  Configuration q, v, a;
  std::string label;
};

// 0 iiwa, 1 panda, 2 humanoid_g1 fixed, 3 humanoid_g1 floating
std::optional<Robot> robot(std::int64_t which) {
  static const char* folders[] = {"iiwa_relative_meshes", "panda_arm_hand", "humanoid_g1",
                                  "humanoid_g1"};
  static const char* files[] = {"model.urdf", "panda.urdf", "g1_29dof.urdf",
                                "g1_29dof.urdf"};
  const auto i = static_cast<std::size_t>(which);
  auto model = bench::load_shared_robot(
      folders[i], files[i], which == 3 ? std::optional(JointModel::floating()) : std::nullopt);
  if (!model) return std::nullopt;
  Robot r{std::move(*model), {}, {}, {}, {}, {}};
  r.data = r.model.create_data();
  Rng rng(3);
  r.q = *random_configuration(r.model, rng);
  const auto nv = static_cast<Eigen::Index>(r.model.nv());
  r.v = Configuration::Random(nv);
  r.a = Configuration::Random(nv);
  r.label = std::string(folders[i]) + (which == 3 ? " floating" : "") + ", nv " +
            std::to_string(nv);
  return r;
}

template <class Body>
void run(benchmark::State& bench, Body&& body) {
  auto r = robot(bench.range(0));
  if (!r) return bench.SkipWithError("shared robot not found");
  const auto nv = static_cast<Eigen::Index>(r->model.nv());
  DerivativeMatrix x(2 * nv, 2 * nv), y(2 * nv, 2 * nv), z(2 * nv, nv);
  for (auto _ : bench) body(*r, x, y, z);
  bench.SetLabel(r->label);
}

void BM_Rnea(benchmark::State& bench) {
  Configuration tau;
  run(bench, [&](Robot& r, auto&, auto&, auto&) {
    tau.resize(r.v.size());
    benchmark::DoNotOptimize(rnea(r.model, r.data, r.q, r.v, r.a, tau));
  });
}

void BM_Aba(benchmark::State& bench) {
  Configuration ddq;
  run(bench, [&](Robot& r, auto&, auto&, auto&) {
    ddq.resize(r.v.size());
    benchmark::DoNotOptimize(aba(r.model, r.data, r.q, r.v, r.a, ddq));
  });
}

void BM_RneaDerivatives(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix& y, DerivativeMatrix& z) {
    const auto nv = r.v.size();
    benchmark::DoNotOptimize(rnea_derivatives(r.model, r.data, r.q, r.v, r.a,
                                              x.topLeftCorner(nv, nv), y.topLeftCorner(nv, nv),
                                              z.topLeftCorner(nv, nv)));
  });
}

void BM_AbaDerivatives(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix& y, DerivativeMatrix& z) {
    const auto nv = r.v.size();
    benchmark::DoNotOptimize(aba_derivatives(r.model, r.data, r.q, r.v, r.a,
                                             x.topLeftCorner(nv, nv), y.topLeftCorner(nv, nv),
                                             z.topLeftCorner(nv, nv)));
  });
}

void BM_InverseMassMatrix(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix&, DerivativeMatrix&) {
    const auto nv = r.v.size();
    benchmark::DoNotOptimize(inverse_mass_matrix(r.model, r.data, r.q, x.topLeftCorner(nv, nv)));
  });
}

void BM_StepDerivatives(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix&, DerivativeMatrix& z) {
    benchmark::DoNotOptimize(step_derivatives(r.model, r.data, r.q, r.v, r.a, 1e-3, x, z));
  });
}

// Central differences of rnea (or aba) in q (through integrate), v and a (or tau): 6 nv calls,
// the three nv x nv results side by side in the 2nv x 2nv `out`.
template <class Call>
void central_differences(Robot& r, DerivativeMatrix& out, Call&& call) {
  const auto nv = r.v.size();
  Configuration plus(nv), minus(nv), step = Configuration::Zero(nv);
  Configuration q_plus = r.q, q_minus = r.q;
  for (Eigen::Index k = 0; k < nv; ++k) {
    step[k] = 1e-6;
    q_plus = *integrate(r.model, r.q, step);
    q_minus = *integrate(r.model, r.q, -step);
    step[k] = 0;
    call(r, q_plus, r.v, r.a, plus);
    call(r, q_minus, r.v, r.a, minus);
    out.col(k).head(nv) = (plus - minus) / 2e-6;
    for (Configuration* x : {&r.v, &r.a}) {
      (*x)[k] += 1e-6;
      call(r, r.q, r.v, r.a, plus);
      (*x)[k] -= 2e-6;
      call(r, r.q, r.v, r.a, minus);
      (*x)[k] += 1e-6;
      out.col(x == &r.v ? k : nv + k).tail(nv) = (plus - minus) / 2e-6;
    }
  }
}

void BM_RneaCentralDifferences(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix&, DerivativeMatrix&) {
    central_differences(r, x, [](Robot& s, const auto& q, const auto& v, const auto& a,
                                 Configuration& out) { (void)rnea(s.model, s.data, q, v, a, out); });
  });
}

void BM_AbaCentralDifferences(benchmark::State& bench) {
  run(bench, [](Robot& r, DerivativeMatrix& x, DerivativeMatrix&, DerivativeMatrix&) {
    central_differences(r, x, [](Robot& s, const auto& q, const auto& v, const auto& a,
                                 Configuration& out) { (void)aba(s.model, s.data, q, v, a, out); });
  });
}

// 256 states on one thread, per state.
void BM_BatchStepDerivatives(benchmark::State& bench) {
  auto r = robot(bench.range(0));
  if (!r) return bench.SkipWithError("shared robot not found");
  constexpr std::size_t n = 256;
  const std::size_t nq = r->model.nq(), nv = r->model.nv();
  std::vector<double> q(n * nq), v(n * nv), tau(n * nv), a(n * 4 * nv * nv), b(n * 2 * nv * nv);
  for (std::size_t i = 0; i < n; ++i) {
    Eigen::Map<Configuration>(&q[i * nq], static_cast<Eigen::Index>(nq)) = r->q;
    Eigen::Map<Configuration>(&v[i * nv], static_cast<Eigen::Index>(nv)) = r->v;
    Eigen::Map<Configuration>(&tau[i * nv], static_cast<Eigen::Index>(nv)) = r->a;
  }
  for (auto _ : bench) {
    benchmark::DoNotOptimize(batch::step_derivatives(r->model, n, q.data(), v.data(), tau.data(),
                                                     1e-3, a.data(), b.data(), 1));
  }
  bench.SetItemsProcessed(static_cast<std::int64_t>(bench.iterations() * n));
  bench.SetLabel(r->label + ", per state: 1 / items_per_second");
}

#define ROBOTS Arg(0)->Arg(1)->Arg(2)->Arg(3)
BENCHMARK(BM_Rnea)->ROBOTS;
BENCHMARK(BM_RneaDerivatives)->ROBOTS;
BENCHMARK(BM_RneaCentralDifferences)->ROBOTS;
BENCHMARK(BM_Aba)->ROBOTS;
BENCHMARK(BM_AbaDerivatives)->ROBOTS;
BENCHMARK(BM_AbaCentralDifferences)->ROBOTS;
BENCHMARK(BM_InverseMassMatrix)->ROBOTS;
BENCHMARK(BM_StepDerivatives)->ROBOTS;
BENCHMARK(BM_BatchStepDerivatives)->ROBOTS;

}  // namespace
}  // namespace kinetra
