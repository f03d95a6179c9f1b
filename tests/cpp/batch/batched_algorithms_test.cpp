#include "kinetra/batch/batched_algorithms.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "../model/random_tree.hpp"
#include "kinetra/model/algorithms.hpp"

namespace kinetra {
namespace {

using testing::random_q;
using testing::random_tree;
using testing::random_v;

// Rows of states, and each single-state result beside the batched one.
class Batch : public ::testing::TestWithParam<std::size_t> {
 protected:
  void SetUp() override {
    model = random_tree(rng, 7);
    data = model.create_data();
    for (std::size_t i = 0; i < n; ++i) {
      append(q, random_q(model, rng));
      append(v, random_v(model, rng));
      append(a, random_v(model, rng));
    }
  }
  static void append(std::vector<double>& rows, const Configuration& values) {
    rows.insert(rows.end(), values.begin(), values.end());
  }
  Eigen::Map<const Configuration> at(const std::vector<double>& rows, std::size_t i,
                                     std::size_t width) const {
    return {rows.data() + i * width, static_cast<Eigen::Index>(width)};
  }
  std::size_t threads() const { return GetParam(); }

  const std::size_t n = 97;
  Rng rng{5};
  Model model;
  Data data;
  std::vector<double> q, v, a;
};

TEST_P(Batch, RowsAreTheSingleStateResults) {
  const std::size_t nq = model.nq(), nv = model.nv();
  std::vector<double> tau(n * nv), qdd(n * nv), mass(n * nv * nv), energy(n);
  ASSERT_TRUE(batch::rnea(model, n, q.data(), v.data(), a.data(), tau.data(), threads()));
  ASSERT_TRUE(batch::aba(model, n, q.data(), v.data(), tau.data(), qdd.data(), threads()));
  ASSERT_TRUE(batch::crba(model, n, q.data(), mass.data(), threads()));
  ASSERT_TRUE(batch::kinetic_energy(model, n, q.data(), v.data(), energy.data(), threads()));
  for (std::size_t i = 0; i < n; ++i) {
    const Configuration expected_tau = *rnea(model, data, at(q, i, nq), at(v, i, nv), at(a, i, nv));
    EXPECT_EQ(at(tau, i, nv), expected_tau) << i;
    EXPECT_EQ(at(qdd, i, nv), *aba(model, data, at(q, i, nq), at(v, i, nv), expected_tau)) << i;
    const Eigen::MatrixXd expected_mass = *crba(model, data, at(q, i, nq));
    EXPECT_EQ(at(mass, i, nv * nv), expected_mass.reshaped<Eigen::RowMajor>()) << i;
    EXPECT_EQ(energy[i], *kinetic_energy(model, data, at(q, i, nq), at(v, i, nv))) << i;
  }
}

TEST_P(Batch, PlacementsAreTheForwardKinematicsOfEachRow) {
  const std::size_t nj = model.njoints();
  std::vector<double> placements(n * nj * 16);
  ASSERT_TRUE(batch::forward_kinematics(model, n, q.data(), placements.data(), threads()));
  for (std::size_t i = 0; i < n; i += 13) {
    ASSERT_TRUE(forward_kinematics(model, data, at(q, i, model.nq())));
    for (std::size_t j = 0; j < nj; ++j) {
      Eigen::Map<const Eigen::Matrix<double, 4, 4, Eigen::RowMajor>> m(placements.data() +
                                                                       (i * nj + j) * 16);
      EXPECT_EQ(Eigen::Matrix3d(m.topLeftCorner<3, 3>()), data.joint_placements[j].rotation);
      EXPECT_EQ(Vector3D(m.topRightCorner<3, 1>()), data.joint_placements[j].translation);
      EXPECT_EQ(m.row(3), Eigen::RowVector4d(0, 0, 0, 1));
    }
  }
}

TEST_P(Batch, FramesAreTheSingleStateResults) {
  const std::size_t nq = model.nq(), nv = model.nv(), last = model.nframes() - 1;
  const std::vector<std::size_t> ids = {last, 0, last};
  std::vector<double> placements(n * ids.size() * 16), jacobians(n * 6 * nv), centers(n * 3);
  ASSERT_TRUE(batch::frame_placements(model, n, q.data(), ids, placements.data(), threads()));
  ASSERT_TRUE(batch::frame_jacobian(model, n, q.data(), last, JacobianKind::Body, jacobians.data(),
                                    threads()));
  ASSERT_TRUE(batch::center_of_mass(model, n, q.data(), centers.data(), threads()));
  for (std::size_t i = 0; i < n; i += 11) {
    const Matrix6X jacobian = *frame_jacobian(model, data, at(q, i, nq), last, JacobianKind::Body);
    EXPECT_EQ(at(jacobians, i, 6 * nv), jacobian.reshaped<Eigen::RowMajor>()) << i;
    const SE3 placement = *frame_placement(model, data, last);
    Eigen::Map<const Eigen::Matrix<double, 4, 4, Eigen::RowMajor>> m(&placements[i * 48 + 32]);
    EXPECT_EQ(Eigen::Matrix3d(m.topLeftCorner<3, 3>()), placement.rotation) << i;
    EXPECT_EQ(Vector3D(m.topRightCorner<3, 1>()), placement.translation) << i;
    EXPECT_EQ(at(centers, i, 3), *center_of_mass(model, data, at(q, i, nq))) << i;
  }
  const std::vector<std::size_t> bad = {0, model.nframes()};
  EXPECT_FALSE(batch::frame_placements(model, n, q.data(), bad, placements.data(), threads()));
}

TEST_P(Batch, WorkspacesFollowTheModel) {
  std::vector<double> tau(n * model.nv());
  ASSERT_TRUE(batch::rnea(model, n, q.data(), v.data(), a.data(), tau.data(), threads()));
  const Model other = random_tree(rng, 3);
  Data other_data = other.create_data();
  const Configuration other_q = random_q(other, rng);
  std::vector<double> rows, gravity(n * other.nv());
  for (std::size_t i = 0; i < n; ++i) append(rows, other_q);
  ASSERT_TRUE(batch::generalized_gravity(other, n, rows.data(), gravity.data(), threads()));
  EXPECT_EQ(at(gravity, n - 1, other.nv()), *generalized_gravity(other, other_data, other_q));
}

INSTANTIATE_TEST_SUITE_P(Threads, Batch, ::testing::Values(1, 2, 5));

}  // namespace
}  // namespace kinetra
