#include "kinetra/batch/rollout.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../model/random_tree.hpp"
#include "kinetra/model/algorithms.hpp"

namespace kinetra {
namespace {

using testing::random_q;
using testing::random_tree;
using testing::random_v;

double energy(const Model& model, Data& data, const double* q, const double* v) {
  const Eigen::Map<const Configuration> qs(q, static_cast<Eigen::Index>(model.nq()));
  const Eigen::Map<const Configuration> vs(v, static_cast<Eigen::Index>(model.nv()));
  return *kinetic_energy(model, data, qs, vs) + *potential_energy(model, data, qs);
}

class Rollout : public ::testing::TestWithParam<Integrator> {};

// Without efforts the total energy stays; the error falls with the step as the method's order.
// Joints turning about an axis, and ball joints, whose configurations form a rotation group.
TEST_P(Rollout, ConservesEnergyToTheMethodsOrder) {
  Rng rng(4);
  Model model = random_tree(rng, 4, false, false);
  for (std::size_t parent : {2u, 5u}) {
    const std::size_t id = *model.add_joint(parent, JointModel::spherical(), SE3::random(rng),
                                            "ball" + std::to_string(parent));
    testing::add_random_body(model, id, rng);
  }
  Data data = model.create_data();
  const Configuration q0 = random_q(model, rng), v0 = random_v(model, rng) / 4;
  const std::size_t nq = model.nq(), nv = model.nv();
  const double duration = 0.2;
  double drift[2];
  for (int refine = 0; refine < 2; ++refine) {
    const std::size_t steps = 50u << refine;
    std::vector<double> tau(steps * nv, 0.0), q((steps + 1) * nq), v((steps + 1) * nv);
    ASSERT_TRUE(rollout(model, data, q0, v0, tau.data(), steps,
                        duration / static_cast<double>(steps), GetParam(), q.data(), v.data()));
    EXPECT_EQ(Eigen::Map<const Configuration>(q.data(), q0.size()), q0);
    drift[refine] = std::abs(energy(model, data, &q[steps * nq], &v[steps * nv]) -
                             energy(model, data, q0.data(), v0.data()));
  }
  const double order = GetParam() == Integrator::RungeKutta4 ? 4 : 1;
  EXPECT_LT(drift[0], GetParam() == Integrator::RungeKutta4 ? 1e-5 : 1e-1);
  EXPECT_GT(drift[0] / drift[1], std::pow(2.0, order) * 0.6) << drift[0] << " " << drift[1];
}

TEST_P(Rollout, BatchRowsAreSingleTrajectories) {
  Rng rng(9);
  const Model model = random_tree(rng, 6);
  Data data = model.create_data();
  const std::size_t n = 40, steps = 7, nq = model.nq(), nv = model.nv();
  std::vector<double> q0, v0, tau;
  for (std::size_t i = 0; i < n; ++i) {
    const Configuration q = random_q(model, rng), v = random_v(model, rng);
    q0.insert(q0.end(), q.begin(), q.end());
    v0.insert(v0.end(), v.begin(), v.end());
    for (std::size_t k = 0; k < steps; ++k) {
      const Configuration t = random_v(model, rng);
      tau.insert(tau.end(), t.begin(), t.end());
    }
  }
  std::vector<double> q((steps + 1) * nq * n), v((steps + 1) * nv * n);
  ASSERT_TRUE(batch::rollout(model, n, steps, q0.data(), v0.data(), tau.data(), 1e-2, GetParam(),
                             q.data(), v.data(), 3));
  std::vector<double> q1((steps + 1) * nq), v1((steps + 1) * nv);
  for (std::size_t i = 0; i < n; i += 7) {
    ASSERT_TRUE(rollout(model, data, Eigen::Map<const Configuration>(&q0[i * nq], nq),
                        Eigen::Map<const Configuration>(&v0[i * nv], nv), &tau[i * steps * nv],
                        steps, 1e-2, GetParam(), q1.data(), v1.data()));
    EXPECT_TRUE(std::equal(q1.begin(), q1.end(), q.begin() + i * (steps + 1) * nq)) << i;
    EXPECT_TRUE(std::equal(v1.begin(), v1.end(), v.begin() + i * (steps + 1) * nv)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Integrators, Rollout,
                         ::testing::Values(Integrator::SemiImplicitEuler, Integrator::RungeKutta4));

// The root's turn and position reach the rk4 order on a base that moves freely or in a plane.
class RootRollout : public ::testing::TestWithParam<JointModel> {};

TEST_P(RootRollout, Rk4ConvergesToFourthOrderInTheRootsTurnAndPosition) {
  Rng rng(12);
  Model model("root");
  (void)*model.add_joint(0, GetParam(), SE3::identity(), "root");
  testing::add_random_body(model, 1, rng);
  for (std::size_t i = 2; i <= 5; ++i) {
    const std::size_t id =
        *model.add_joint(1 + rng() % (i - 1), testing::random_joint(rng, false, true),
                         SE3::random(rng), "joint" + std::to_string(i));
    testing::add_random_body(model, id, rng);
  }
  Data data = model.create_data();
  const Configuration q0 = random_q(model, rng), v0 = random_v(model, rng);
  const std::size_t nq = model.nq(), nv = model.nv();
  auto end_of = [&](std::size_t steps) {
    std::vector<double> tau(steps * nv, 0.0), q((steps + 1) * nq), v((steps + 1) * nv);
    EXPECT_TRUE(rollout(model, data, q0, v0, tau.data(), steps, 0.4 / static_cast<double>(steps),
                        Integrator::RungeKutta4, q.data(), v.data()));
    return Configuration(Eigen::Map<const Configuration>(&q[steps * nq], q0.size()));
  };
  const Configuration reference = end_of(640);
  const std::size_t turn = GetParam().type() == JointType::Floating ? 3 : 1;
  double error[2][2];  // [refine][turn, position]
  for (int refine = 0; refine < 2; ++refine) {
    const Configuration gap = *difference(model, reference, end_of(20u << refine));
    error[refine][0] = gap.head(turn).norm();
    error[refine][1] = gap.segment(turn, GetParam().nv() - turn).norm();
  }
  for (int part = 0; part < 2; ++part) {
    EXPECT_GT(std::log2(error[0][part] / error[1][part]), 3.5)
        << part << ": " << error[0][part] << " " << error[1][part];
  }
}

INSTANTIATE_TEST_SUITE_P(Bases, RootRollout,
                         ::testing::Values(JointModel::floating(), JointModel::planar()));

}  // namespace
}  // namespace kinetra
