// Per-state cost of the batched algorithms beside the single-state calls, on the Panda and the
// 29-joint humanoid of the shared robots (or of $KINETRA_ROBOTS). Arguments: 0 Panda,
// 1 humanoid, then the thread count; items are states.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kinetra/batch/batched_algorithms.hpp"
#include "kinetra/batch/rollout.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/urdf/urdf.hpp"

namespace kinetra {
namespace {

constexpr std::size_t states = 10000;

struct Batch {
  Model model;
  std::vector<double> q, v, a, out;
  Data data;
};

// nullptr when the robot's file is missing
const Batch* robot(std::int64_t which) {
  static const auto load = [](const char* file) -> std::optional<Batch> {
    const char* folder = std::getenv("KINETRA_ROBOTS");
    const std::string path =
        std::string(folder ? folder : KINETRA_SOURCE_DIR "/../shared/robots") + "/" + file;
    auto models = build_models_from_urdf(path, path.substr(0, path.rfind('/')));
    if (!models) return std::nullopt;
    Batch b{std::move(models->model), {}, {}, {}, {}, {}};
    b.data = b.model.create_data();
    Rng rng(1);
    for (std::size_t i = 0; i < states; ++i) {
      const Configuration q = *random_configuration(b.model, rng);
      b.q.insert(b.q.end(), q.begin(), q.end());
      for (std::size_t k = 0; k < b.model.nv(); ++k) {
        b.v.push_back(uniform01(rng) - 0.5);
        b.a.push_back(uniform01(rng) - 0.5);
      }
    }
    b.out.resize(states * b.model.nv() * b.model.nv());
    return b;
  };
  static const std::optional<Batch> robots[2] = {load("panda_arm_hand/panda.urdf"),
                                                 load("humanoid_g1/g1_29dof.urdf")};
  return robots[which] ? &*robots[which] : nullptr;
}

Eigen::Map<const Configuration> row(const std::vector<double>& values, std::size_t i,
                                    std::size_t width) {
  return {values.data() + i * width, static_cast<Eigen::Index>(width)};
}

// f(batch, i) once per state and iteration
template <class F>
void per_state(benchmark::State& bench, F&& f) {
  const Batch* b = robot(bench.range(0));
  if (!b) return bench.SkipWithError("shared robot not found");
  Batch work = *b;
  for (auto _ : bench) {
    for (std::size_t i = 0; i < states; ++i) benchmark::DoNotOptimize(f(work, i));
  }
  bench.SetItemsProcessed(bench.iterations() * static_cast<std::int64_t>(states));
}

template <class F>
void batched(benchmark::State& bench, F&& f) {
  const Batch* b = robot(bench.range(0));
  if (!b) return bench.SkipWithError("shared robot not found");
  Batch work = *b;
  for (auto _ : bench) benchmark::DoNotOptimize(f(work, static_cast<std::size_t>(bench.range(1))));
  bench.SetItemsProcessed(bench.iterations() * static_cast<std::int64_t>(states));
}

void BM_SingleRnea(benchmark::State& bench) {
  per_state(bench, [](Batch& b, std::size_t i) {
    const std::size_t nq = b.model.nq(), nv = b.model.nv();
    return rnea(b.model, b.data, row(b.q, i, nq), row(b.v, i, nv), row(b.a, i, nv));
  });
}

void BM_BatchRnea(benchmark::State& bench) {
  batched(bench, [](Batch& b, std::size_t threads) {
    return batch::rnea(b.model, states, b.q.data(), b.v.data(), b.a.data(), b.out.data(), threads);
  });
}

void BM_SingleAba(benchmark::State& bench) {
  per_state(bench, [](Batch& b, std::size_t i) {
    const std::size_t nq = b.model.nq(), nv = b.model.nv();
    return aba(b.model, b.data, row(b.q, i, nq), row(b.v, i, nv), row(b.a, i, nv));
  });
}

void BM_BatchAba(benchmark::State& bench) {
  batched(bench, [](Batch& b, std::size_t threads) {
    return batch::aba(b.model, states, b.q.data(), b.v.data(), b.a.data(), b.out.data(), threads);
  });
}

// rnea and aba with several states per instruction (RowPath::lanes)
void BM_BatchRneaLanes(benchmark::State& bench) {
  batched(bench, [](Batch& b, std::size_t threads) {
    return batch::rnea(b.model, states, b.q.data(), b.v.data(), b.a.data(), b.out.data(), threads,
                       batch::RowPath::lanes);
  });
}

void BM_BatchAbaLanes(benchmark::State& bench) {
  batched(bench, [](Batch& b, std::size_t threads) {
    return batch::aba(b.model, states, b.q.data(), b.v.data(), b.a.data(), b.out.data(), threads,
                      batch::RowPath::lanes);
  });
}

void BM_SingleCrba(benchmark::State& bench) {
  per_state(bench, [](Batch& b, std::size_t i) {
    return crba(b.model, b.data, row(b.q, i, b.model.nq()));
  });
}

void BM_BatchCrba(benchmark::State& bench) {
  batched(bench, [](Batch& b, std::size_t threads) {
    return batch::crba(b.model, states, b.q.data(), b.out.data(), threads);
  });
}

// trajectories of four RK4 steps from the first states, the accelerations as efforts; items are
// the states reached
void BM_BatchRollout(benchmark::State& bench) {
  constexpr std::size_t steps = 4, n = states / steps;
  batched(bench, [&](Batch& b, std::size_t threads) {
    static thread_local std::vector<double> q_out, v_out;
    q_out.resize(n * (steps + 1) * b.model.nq());
    v_out.resize(n * (steps + 1) * b.model.nv());
    return batch::rollout(b.model, n, steps, b.q.data(), b.v.data(), b.a.data(), 1e-3,
                          Integrator::RungeKutta4, q_out.data(), v_out.data(), threads);
  });
}

// robot x threads
void robots_and_threads(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{0, 1}, {1, 2}})->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SingleRnea)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchRnea)->Apply(robots_and_threads);
BENCHMARK(BM_SingleAba)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchAba)->Apply(robots_and_threads);
BENCHMARK(BM_BatchRneaLanes)->Apply(robots_and_threads);
BENCHMARK(BM_BatchAbaLanes)->Apply(robots_and_threads);
BENCHMARK(BM_SingleCrba)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchCrba)->Apply(robots_and_threads);
BENCHMARK(BM_BatchRollout)->Apply(robots_and_threads);

}  // namespace
}  // namespace kinetra
