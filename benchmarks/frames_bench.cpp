// Frame and centre-of-mass Jacobians (forward kinematics included) on a 7-joint arm and a
// 29-joint humanoid from the shared robots.
#include <benchmark/benchmark.h>

#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

struct Robot {
  const char* folder;
  const char* file;
  const char* end_effector;
};

// argument 0: the iiwa arm (end effector lbr_iiwa_link_7), 1: the humanoid (right hand)
constexpr Robot robots[] = {{"iiwa_relative_meshes", "model.urdf", "lbr_iiwa_link_7"},
                            {"humanoid_g1", "g1_29dof.urdf", "right_rubber_hand"}};

struct State {
  Model model;
  Data data;
  Configuration q;
  std::size_t frame = 0;
};

std::optional<State> load(benchmark::State& bench) {
  const Robot& robot = robots[bench.range(0)];
  auto model = bench::load_shared_robot(robot.folder, robot.file);
  if (!model) {
    bench.SkipWithError("shared robot absent");
    return std::nullopt;
  }
  Rng rng(1);
  State s{*model, model->create_data(), *random_configuration(*model, rng)};
  s.frame = *s.model.get_frame_id(robot.end_effector);
  bench.SetLabel(std::string(robot.folder) + ", nv " + std::to_string(s.model.nv()));
  return s;
}

void BM_FrameJacobian(benchmark::State& bench) {
  auto s = load(bench);
  if (!s) return;
  Matrix6X jacobian(6, static_cast<Eigen::Index>(s->model.nv()));
  for (auto _ : bench) {
    benchmark::DoNotOptimize(
        frame_jacobian(s->model, s->data, s->q, s->frame, JacobianKind::Geometric, jacobian));
    benchmark::ClobberMemory();
  }
}

void BM_CenterOfMassJacobian(benchmark::State& bench) {
  auto s = load(bench);
  if (!s) return;
  Matrix3X jacobian(3, static_cast<Eigen::Index>(s->model.nv()));
  for (auto _ : bench) {
    benchmark::DoNotOptimize(center_of_mass_jacobian(s->model, s->data, s->q, jacobian));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_FrameJacobian)->Arg(0)->Arg(1);
BENCHMARK(BM_CenterOfMassJacobian)->Arg(0)->Arg(1);

}  // namespace
}  // namespace kinetra
