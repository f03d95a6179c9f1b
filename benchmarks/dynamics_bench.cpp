#include <benchmark/benchmark.h>

#include <string>

#include "kinetra/model/algorithms.hpp"

namespace kinetra {
namespace {

Inertia link_inertia(double length) {
  Inertia body = *Inertia::from_ellipsoid(1.0 + length, 0.05, 0.05, length / 2);
  body.com = Vector3D(0, 0, length / 2);
  return body;
}

void add_link(Model& model, std::size_t parent, const Vector3D& axis, const Vector3D& offset,
              const std::string& name) {
  const std::size_t id = *model.add_joint(parent, JointModel::revolute(axis),
                                          {SpatialRotation::Identity(), offset}, name);
  (void)*model.add_frame(
      {name + "_link", id, 0, SE3::identity(), FrameType::Body, link_inertia(offset.norm() + 0.1)},
      true);
}

// Seven revolute joints alternating between z and y axes.
Model arm() {
  Model model("arm");
  for (std::size_t i = 1; i <= 7; ++i) {
    add_link(model, i - 1, i % 2 ? Vector3D::UnitZ() : Vector3D::UnitY(), {0, 0, 0.3},
             "joint" + std::to_string(i));
  }
  return model;
}

// Thirty revolute joints in a binary tree.
Model tree() {
  Model model("tree");
  const Vector3D axes[3] = {Vector3D::UnitX(), Vector3D::UnitY(), Vector3D::UnitZ()};
  for (std::size_t i = 1; i <= 30; ++i) {
    add_link(model, i / 2, axes[i % 3], {0.1 * static_cast<double>(i % 2), 0, 0.2},
             "joint" + std::to_string(i));
  }
  return model;
}

struct State {
  explicit State(Model m) : model(std::move(m)), data(model.create_data()) {
    Rng rng(1);
    q = *random_configuration(model, rng);
    v = *random_configuration(model, rng);
    a = *random_configuration(model, rng);
  }
  Model model;
  Data data;
  Configuration q, v, a;
};

Model build(std::int64_t which) { return which == 7 ? arm() : tree(); }

void BM_ForwardKinematics(benchmark::State& bench) {
  State s(build(bench.range(0)));
  for (auto _ : bench) benchmark::DoNotOptimize(forward_kinematics(s.model, s.data, s.q));
}

void BM_Rnea(benchmark::State& bench) {
  State s(build(bench.range(0)));
  for (auto _ : bench) benchmark::DoNotOptimize(rnea(s.model, s.data, s.q, s.v, s.a));
}

void BM_Aba(benchmark::State& bench) {
  State s(build(bench.range(0)));
  for (auto _ : bench) benchmark::DoNotOptimize(aba(s.model, s.data, s.q, s.v, s.a));
}

void BM_Crba(benchmark::State& bench) {
  State s(build(bench.range(0)));
  for (auto _ : bench) benchmark::DoNotOptimize(crba(s.model, s.data, s.q));
}

// argument: 7 for the arm, 30 for the tree
BENCHMARK(BM_ForwardKinematics)->Arg(7)->Arg(30);
BENCHMARK(BM_Rnea)->Arg(7)->Arg(30);
BENCHMARK(BM_Aba)->Arg(7)->Arg(30);
BENCHMARK(BM_Crba)->Arg(7)->Arg(30);

}  // namespace
}  // namespace kinetra
