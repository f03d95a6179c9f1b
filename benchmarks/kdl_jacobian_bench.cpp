// The end-effector Jacobian of the 7-joint iiwa arm: kinetra beside KDL's ChainJntToJacSolver on
// the same chain, built from kinetra's model. Built only when KDL is installed.
#include <benchmark/benchmark.h>

#include <kdl/chain.hpp>
#include <kdl/chainjnttojacsolver.hpp>
#include <kdl/jacobian.hpp>
#include <vector>

#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

KDL::Frame kdl_frame(const SE3& placement) {
  const SpatialRotation& r = placement.rotation;
  return {
      KDL::Rotation(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2), r(2, 0), r(2, 1),
                    r(2, 2)),
      KDL::Vector(placement.translation.x(), placement.translation.y(), placement.translation.z())};
}

// Segments of the joints carrying `frame`: a fixed one to the first joint, then each joint's
// axis with the rest placement of the next joint (or the frame) as its tip.
KDL::Chain kdl_chain(const Model& model, std::size_t frame) {
  std::vector<std::size_t> path;
  for (std::size_t i = model.frames()[frame].parent_joint; i > 0; i = model.joint_parents()[i]) {
    path.insert(path.begin(), i);
  }
  KDL::Chain chain;
  chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::Fixed),
                                kdl_frame(model.joint_placements()[path.front()])));
  for (std::size_t k = 0; k < path.size(); ++k) {
    const JointModel& joint = model.joint_models()[path[k]];
    const SE3 tip = k + 1 < path.size() ? model.joint_placements()[path[k + 1]]
                                        : model.frames()[frame].placement;
    KDL::Joint kdl_joint(KDL::Joint::Fixed);
    if (joint.nv() == 1) {
      const SpatialMotion s = joint.motion_subspace().col(0);
      const bool turns = joint.type() != JointType::Prismatic;
      const Vector3D axis = turns ? Vector3D(s.head<3>()) : Vector3D(s.tail<3>());
      kdl_joint = KDL::Joint(KDL::Vector::Zero(), KDL::Vector(axis.x(), axis.y(), axis.z()),
                             turns ? KDL::Joint::RotAxis : KDL::Joint::TransAxis);
    }
    chain.addSegment(KDL::Segment(kdl_joint, kdl_frame(tip)));
  }
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
          kdl_chain(*model, frame)};
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
