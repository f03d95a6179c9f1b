#include <gtest/gtest.h>

#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/crba_kernel.hpp"
#include "kinetra/model/kinematics_kernel.hpp"
#include "kinetra/model/rnea_kernel.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

using Wide = long double;
using WideVector = Eigen::Matrix<Wide, Eigen::Dynamic, 1>;

WideVector widened(const Configuration& x) { return x.cast<Wide>(); }

// Double against long double: rounding of a few ulps per joint over a 12-joint tree, which
// unoptimised builds (no contraction) make a little larger.
void expect_close(const Eigen::MatrixXd& actual, const Eigen::MatrixXd& expected) {
  const double scale = std::max(1.0, expected.cwiseAbs().maxCoeff());
  EXPECT_LE((actual - expected).cwiseAbs().maxCoeff(), 1e-12 * scale);
}

class Kernels : public ::testing::TestWithParam<int> {
 protected:
  Rng rng{static_cast<std::uint64_t>(GetParam())};
  Model model = testing::random_tree(rng, 12);
  Data data = model.create_data();
  Configuration q = *random_configuration(model, rng);
  Configuration v = Configuration::Random(static_cast<Eigen::Index>(model.nv()));
  Configuration a = Configuration::Random(static_cast<Eigen::Index>(model.nv()));
};

// The kernels are generic over the scalar: in long double they give the double results.
TEST_P(Kernels, AnotherScalarGivesTheSameResults) {
  const CompiledModel& compiled = model.compiled();
  const std::size_t n = model.njoints(), nv = model.nv();
  const WideVector wq = widened(q), wv = widened(v), wa = widened(a);
  WideVector tau(static_cast<Eigen::Index>(nv)), qdd(static_cast<Eigen::Index>(nv));
  kernel::RneaWorkspace<Wide> rnea_ws;
  rnea_ws.resize(n);
  kernel::rnea(compiled, rnea_ws, wq.data(), wv.data(), wa.data(), tau.data());
  expect_close(tau.cast<double>(), *rnea(model, data, q, v, a));

  kernel::AbaWorkspace<Wide> aba_ws;
  aba_ws.resize(n, nv);
  kernel::aba(compiled, aba_ws, wq.data(), wv.data(), tau.data(), qdd.data());
  // accelerations compared through the efforts they take, free of M's conditioning
  const Configuration qdd_double = *aba(model, data, q, v, tau.cast<double>());
  const Eigen::MatrixXd mass_double = *crba(model, data, q);
  expect_close(mass_double * qdd.cast<double>(), mass_double * qdd_double);

  kernel::CrbaWorkspace<Wide> crba_ws;
  crba_ws.resize(n, nv);
  Eigen::Matrix<Wide, Eigen::Dynamic, Eigen::Dynamic> mass(nv, nv);
  kernel::crba(compiled, crba_ws, wq.data(), mass.data(), nv);
  expect_close(mass.cast<double>(), *crba(model, data, q));
}

// World placements are the products of the joints' own placements down the tree.
TEST_P(Kernels, ForwardKinematicsComposesJointTransforms) {
  ASSERT_TRUE(forward_kinematics(model, data, q));
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const JointModel& joint = model.joint_models()[i];
    const auto qi = q.segment(static_cast<Eigen::Index>(model.idx_q(i)),
                              static_cast<Eigen::Index>(joint.nq()));
    const SE3 expected = data.joint_placements[model.joint_parents()[i]] *
                         model.joint_placements()[i] * joint.transform(qi);
    expect_close(data.joint_placements[i].rotation, expected.rotation);
    expect_close(data.joint_placements[i].translation, expected.translation);
  }
}

// A change to the model after a call is seen by the next call.
TEST_P(Kernels, ChangesToTheModelReachTheSweeps) {
  const Configuration before = *rnea(model, data, q, v, a);
  const std::size_t last = model.njoints() - 1;
  model.inertia(last) = testing::random_inertia(rng);
  model.set_gravity(Vector3D(1.0, 2.0, -3.0));
  const Configuration after = *rnea(model, data, q, v, a);
  const Model copy = model;
  Data copy_data = copy.create_data();
  expect_close(*rnea(copy, copy_data, q, v, a), after);
  EXPECT_GT((after - before).cwiseAbs().maxCoeff(), 1e-6);

  (void)*model.add_joint(last, JointModel::revolute(Vector3D::UnitX()), SE3::identity(), "added");
  model.inertia(last + 1) = testing::random_inertia(rng);
  Data grown = model.create_data();
  Configuration q2(q.size() + 1), zero = Configuration::Zero(v.size() + 1);
  q2 << q, 0.5;
  const Configuration gravity = *generalized_gravity(model, grown, q2);
  EXPECT_EQ(gravity.size(), v.size() + 1);
  EXPECT_NE(gravity[v.size()], 0.0);
  expect_close(*rnea(model, grown, q2, zero, zero), gravity);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Kernels, ::testing::Range(1, 7));

}  // namespace
}  // namespace kinetra
