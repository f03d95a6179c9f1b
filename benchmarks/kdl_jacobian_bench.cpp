// The end-effector Jacobian of the 7-joint iiwa arm: kinetra beside KDL's ChainJntToJacSolver on
// the same chain, built from kinetra's model. Built only when KDL is installed.
#include <benchmark/benchmark.h>

#include <kdl/chainjnttojacsolver.hpp>
#include <kdl/jacobian.hpp>

#include "kdl_chain.hpp"
#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

// The joints carrying `frame`, then a fixed segment to the frame.
KDL::Chain chain_to_frame(const Model& model, std::size_t frame) {
  KDL::Chain chain = bench::kdl_chain(model, model.frames()[frame].parent_joint);
  chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::Fixed),
                                bench::kdl_frame(model.frames()[frame].placement)));
  return chain;
}

struct Arm {
  Model model;
  Data data;
  std::size_t frame;
  Configuration q;
  KDL::Chain chain;
};

std::optional<Arm> load(benchmark::State& bench) {
  auto model = bench::load_shared_robot("iiwa_relative_meshes", "model.urdf");
  if (!model) {
    bench.SkipWithError("shared robot absent");
    return std::nullopt;
  }
  Rng rng(1);
  const std::size_t frame = *model->get_frame_id("lbr_iiwa_link_7");
  Arm arm{*model, model->create_data(), frame, *random_configuration(*model, rng),
          chain_to_frame(*model, frame)};
  bench.SetLabel("iiwa, nv " + std::to_string(arm.model.nv()));
  return arm;
}

void BM_KinetraFrameJacobian(benchmark::State& bench) {
  auto arm = load(bench);
  if (!arm) return;
  Matrix6X jacobian(6, static_cast<Eigen::Index>(arm->model.nv()));
  for (auto _ : bench) {
    benchmark::DoNotOptimize(frame_jacobian(arm->model, arm->data, arm->q, arm->frame,
                                            JacobianKind::Geometric, jacobian));
    benchmark::ClobberMemory();
  }
}

void BM_KdlChainJntToJac(benchmark::State& bench) {
  auto arm = load(bench);
  if (!arm) return;
  KDL::ChainJntToJacSolver solver(arm->chain);
  KDL::JntArray q(arm->chain.getNrOfJoints());
  q.data = arm->q;
  KDL::Jacobian jacobian(arm->chain.getNrOfJoints());
  // the same numbers, in KDL's (linear; angular) row order
  solver.JntToJac(q, jacobian);
  const Matrix6X ours =
      *frame_jacobian(arm->model, arm->data, arm->q, arm->frame, JacobianKind::Geometric);
  if (!jacobian.data.topRows<3>().isApprox(ours.bottomRows<3>(), 1e-12) ||
      !jacobian.data.bottomRows<3>().isApprox(ours.topRows<3>(), 1e-12)) {
    bench.SkipWithError("KDL's Jacobian differs from kinetra's");
    return;
  }
  for (auto _ : bench) {
    benchmark::DoNotOptimize(solver.JntToJac(q, jacobian));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_KinetraFrameJacobian);
BENCHMARK(BM_KdlChainJntToJac);

}  // namespace
}  // namespace kinetra
