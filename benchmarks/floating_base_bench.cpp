// Dynamics of the shared humanoid_g1 with a floating base (nv 35).
#include <benchmark/benchmark.h>

#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

struct State {
  Model model;
  Data data;
  Configuration q, v, a;
};

std::optional<State> load(benchmark::State& bench) {
  auto model = bench::load_shared_robot("humanoid_g1", "g1_29dof.urdf", JointModel::floating());
  if (!model) {
    bench.SkipWithError("shared robot absent");
    return std::nullopt;
  }
  Rng rng(1);
  const auto nv = static_cast<Eigen::Index>(model->nv());
  State s{*model, model->create_data(), *random_configuration(*model, rng),
          Configuration::Random(nv), Configuration::Random(nv)};
  bench.SetLabel("humanoid_g1 floating, nv " + std::to_string(s.model.nv()));
  return s;
}

void BM_FloatingRnea(benchmark::State& bench) {
  auto s = load(bench);
  if (!s) return;
  for (auto _ : bench) benchmark::DoNotOptimize(rnea(s->model, s->data, s->q, s->v, s->a));
}

void BM_FloatingAba(benchmark::State& bench) {
  auto s = load(bench);
  if (!s) return;
  for (auto _ : bench) benchmark::DoNotOptimize(aba(s->model, s->data, s->q, s->v, s->a));
}

void BM_FloatingCrba(benchmark::State& bench) {
  auto s = load(bench);
  if (!s) return;
  for (auto _ : bench) benchmark::DoNotOptimize(crba(s->model, s->data, s->q));
}

BENCHMARK(BM_FloatingRnea);
BENCHMARK(BM_FloatingAba);
BENCHMARK(BM_FloatingCrba);

}  // namespace
}  // namespace kinetra
