// Forward kinematics and the dynamics of the shared robots (iiwa, Panda, humanoid g1) at one
// random state. KINETRA_CALLS=n runs each benchmark for exactly n calls, so that two runs under
// callgrind (n and 2n calls) give the instructions of one call by their difference:
//   KINETRA_CALLS=200 valgrind --tool=callgrind robot_calls_bench --benchmark_filter=g1/aba
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

struct Robot {
  Model model;
  Data data;
  Configuration q, v, a, out;
  Eigen::MatrixXd mass;
};

using Call = std::function<void(Robot&)>;

void run(benchmark::State& bench, const std::string& folder, const std::string& file,
         const Call& call) {
  auto model = bench::load_shared_robot(folder, file);
  if (!model) {
    bench.SkipWithError("robot not found");
    return;
  }
  Rng rng(1);
  const auto nv = static_cast<Eigen::Index>(model->nv());
  Robot robot{*model, model->create_data(), *random_configuration(*model, rng),
              Configuration::Random(nv), Configuration::Random(nv), Configuration(nv),
              Eigen::MatrixXd(nv, nv)};
  for (auto _ : bench) {
    call(robot);
    benchmark::DoNotOptimize(robot.out.data());
    benchmark::DoNotOptimize(robot.mass.data());
  }
}

const int registered = [] {
  const char* calls = std::getenv("KINETRA_CALLS");
  const struct {
    const char *name, *folder, *file;
  } robots[] = {{"iiwa", "iiwa_relative_meshes", "model.urdf"},
                {"panda", "panda_arm_hand", "panda.urdf"},
                {"g1", "humanoid_g1", "g1_29dof.urdf"}};
  const std::pair<const char*, Call> algorithms[] = {
      {"fk", [](Robot& r) { (void)forward_kinematics(r.model, r.data, r.q); }},
      {"rnea", [](Robot& r) { (void)rnea(r.model, r.data, r.q, r.v, r.a, r.out); }},
      {"aba", [](Robot& r) { (void)aba(r.model, r.data, r.q, r.v, r.a, r.out); }},
      {"crba", [](Robot& r) { (void)crba(r.model, r.data, r.q, r.mass); }}};
  for (const auto& robot : robots) {
    for (const auto& [name, call] : algorithms) {
      auto* b = benchmark::RegisterBenchmark(
          (std::string(robot.name) + "/" + name).c_str(),
          [robot, call = call](benchmark::State& s) { run(s, robot.folder, robot.file, call); });
      if (calls) b->Iterations(std::atoll(calls));
    }
  }
  return 0;
}();

}  // namespace
}  // namespace kinetra
