#include <gtest/gtest.h>

#include <cmath>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

using testing::random_q;
using testing::random_tree;
using testing::random_v;

Configuration zeros(std::size_t n) { return Configuration::Zero(static_cast<Eigen::Index>(n)); }

Configuration unit(std::size_t n, std::size_t k) {
  return Configuration::Unit(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(k));
}

// Random trees of every joint kind, one per seed.
class RandomTree : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    rng.seed(static_cast<std::uint64_t>(GetParam()));
    model = random_tree(rng, 3 + static_cast<std::size_t>(GetParam()) % 8);
    data = model.create_data();
    q = random_q(model, rng);
    v = random_v(model, rng);
    a = random_v(model, rng);
  }

  Eigen::MatrixXd mass_at(const Configuration& at) { return *crba(model, data, at); }

  Rng rng;
  Model model;
  Data data;
  Configuration q, v, a;
};

TEST_P(RandomTree, GravityEffortIsTheGradientOfPotentialEnergy) {
  const Configuration gravity = *generalized_gravity(model, data, q);
  const double h = 1e-6;
  for (std::size_t k = 0; k < model.nv(); ++k) {
    const Configuration step = h * unit(model.nv(), k);
    const double slope = (*potential_energy(model, data, *integrate(model, q, step)) -
                          *potential_energy(model, data, *integrate(model, q, -step))) /
                         (2 * h);
    EXPECT_NEAR(gravity[static_cast<Eigen::Index>(k)], slope, 1e-6) << "coordinate " << k;
  }
}

TEST_P(RandomTree, MassMatrixIsSymmetricPositiveDefiniteAndMatchesNewtonEuler) {
  const Eigen::MatrixXd mass = mass_at(q);
  const Configuration bias = *rnea(model, data, q, zeros(model.nv()), zeros(model.nv()));
  for (std::size_t k = 0; k < model.nv(); ++k) {
    const Configuration column =
        *rnea(model, data, q, zeros(model.nv()), unit(model.nv(), k)) - bias;
    EXPECT_TRUE(mass.col(static_cast<Eigen::Index>(k)).isApprox(column, 1e-10)) << k;
  }
  EXPECT_TRUE(mass.isApprox(mass.transpose(), 0.0));
  EXPECT_EQ(Eigen::LLT<Eigen::MatrixXd>(mass).info(), Eigen::Success);
}

TEST_P(RandomTree, VelocityProductEffortMatchesMassMatrixRate) {
  // v . C(q, v) v = 1/2 v^T Mdot v, Mdot by central differences along v
  const double h = 1e-6;
  const Eigen::MatrixXd mass_rate =
      (mass_at(*integrate(model, q, h * v)) - mass_at(*integrate(model, q, -h * v))) / (2 * h);
  const Configuration coriolis = *rnea(model, data, q, v, zeros(model.nv())) -
                                 *rnea(model, data, q, zeros(model.nv()), zeros(model.nv()));
  EXPECT_NEAR(v.dot(coriolis), 0.5 * v.dot(mass_rate * v), 1e-6 * (1 + std::abs(v.dot(coriolis))));
}

TEST_P(RandomTree, ForwardDynamicsInvertsInverseDynamics) {
  const Configuration tau = *rnea(model, data, q, v, a);
  EXPECT_TRUE(aba(model, data, q, v, tau)->isApprox(a, 1e-9));
}

TEST_P(RandomTree, MassMatrixAndNonlinearEffectsSumToInverseDynamics) {
  const Configuration tau = mass_at(q) * a + *nonlinear_effects(model, data, q, v);
  EXPECT_TRUE(tau.isApprox(*rnea(model, data, q, v, a), 1e-10));
}

TEST_P(RandomTree, KineticEnergyIsTheMassMatrixQuadraticForm) {
  EXPECT_NEAR(*kinetic_energy(model, data, q, v), 0.5 * v.dot(mass_at(q) * v), 1e-10);
}

TEST_P(RandomTree, DynamicsLeaveTheDataUnchanged) {
  ASSERT_TRUE(forward_kinematics(model, data, random_q(model, rng)));
  const auto placements = data.joint_placements;
  const SE3 last = data.joint_data.back().placement();
  ASSERT_TRUE(rnea(model, data, q, v, a));
  ASSERT_TRUE(aba(model, data, q, v, a));
  ASSERT_TRUE(crba(model, data, q));
  ASSERT_TRUE(potential_energy(model, data, q));
  for (std::size_t i = 0; i < placements.size(); ++i) {
    EXPECT_EQ(data.joint_placements[i].translation, placements[i].translation);
  }
  EXPECT_EQ(data.joint_data.back().placement().rotation, last.rotation);
}

TEST_P(RandomTree, DynamicsWriteIntoCallerStorage) {
  const auto n = static_cast<Eigen::Index>(model.nv());
  // the mass matrix into a block of a larger matrix, accelerations and efforts into columns
  Eigen::MatrixXd storage = Eigen::MatrixXd::Constant(n + 2, n + 2, 7.0);
  ASSERT_TRUE(crba(model, data, q, storage.topLeftCorner(n, n)));
  ASSERT_TRUE(aba(model, data, q, v, a, storage.col(n).head(n)));
  ASSERT_TRUE(rnea(model, data, q, v, a, storage.col(n + 1).head(n)));
  EXPECT_TRUE(storage.topLeftCorner(n, n) == *crba(model, data, q));
  EXPECT_TRUE(storage.col(n).head(n) == *aba(model, data, q, v, a));
  EXPECT_TRUE(storage.col(n + 1).head(n) == *rnea(model, data, q, v, a));
  EXPECT_TRUE(storage.bottomRows(2) == Eigen::MatrixXd::Constant(2, n + 2, 7.0));
  // refused input leaves the storage as it was
  const Eigen::MatrixXd before = storage;
  EXPECT_FALSE(aba(model, data, q, v, zeros(model.nv() + 1), storage.col(n).head(n)));
  EXPECT_FALSE(rnea(model, data, q, zeros(model.nv() + 1), a, storage.col(n + 1).head(n)));
  EXPECT_FALSE(crba(model, data, zeros(model.nq() + 1), storage.topLeftCorner(n, n)));
  EXPECT_TRUE(storage == before);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTree, ::testing::Range(1, 13));

// A floating-base robot's momentum about its centre of mass changes only by gravity, m g on the
// linear part, with no moment; checked along the motion of forward dynamics by central
// differences, in zero and standard gravity.
TEST_P(RandomTree, CentroidalMomentumChangesOnlyByGravity) {
  Model robot = testing::floating_base_tree(rng, 2 + static_cast<std::size_t>(GetParam()) % 6);
  double mass = 0.0;
  for (const Inertia& body : robot.inertias()) mass += body.mass;
  for (const Vector3D& gravity : {Vector3D::Zero().eval(), standard_gravity()}) {
    robot.set_gravity(gravity);
    Data robot_data = robot.create_data();
    const Configuration at = random_q(robot, rng), rate = random_v(robot, rng);
    const Configuration accel = *aba(robot, robot_data, at, rate, zeros(robot.nv()));
    const double h = 1e-6;
    const auto momentum = [&](double t) {
      return *centroidal_momentum(robot, robot_data, *integrate(robot, at, t * rate),
                                  rate + t * accel);
    };
    const Vector6D change = (momentum(h) - momentum(-h)) / (2 * h);
    const Vector6D expected = motion_from_parts(Vector3D::Zero(), mass * gravity);
    EXPECT_LT((change - expected).norm(), 1e-6 * (1 + momentum(0).norm())) << change.transpose();
  }
}

// Revolute about y at the root carrying mass 1 at (1, 0, 0): tau = a - 9.81 cos q.
Model pendulum() {
  Model model;
  const auto joint = *model.add_joint(0, JointModel::revolute({0, 1, 0}), SE3::identity(), "j");
  Frame body{"body", joint, 0, {SpatialRotation::Identity(), {1, 0, 0}}, FrameType::Body, {}};
  body.inertia.mass = 1.0;
  (void)*model.add_frame(body, true);
  return model;
}

TEST(InverseDynamics, SinglePendulum) {
  const Model model = pendulum();
  Data data = model.create_data();
  struct Case {
    double q, v, a, tau;
  };
  for (const auto [q, v, a, tau] :
       {Case{0, 0, 0, -9.81}, Case{0, 0, 2, -7.81}, Case{0, 1, 0, -9.81}, Case{M_PI / 2, 0, 0, 0},
        Case{1.0, -3.0, 0.5, 0.5 - 9.81 * std::cos(1.0)}}) {
    const auto result =
        rnea(model, data, Configuration{{q}}, Configuration{{v}}, Configuration{{a}});
    EXPECT_NEAR((*result)[0], tau, 1e-12) << q << " " << v << " " << a;
  }
}

TEST(InverseDynamics, PlanarDoublePendulumMatchesClosedForm) {
  const double m1 = 1.5, m2 = 0.7, l1 = 1.2, l2 = 0.8, g = 9.81;
  Model model;
  const auto j1 = *model.add_joint(0, JointModel::revolute({0, 1, 0}), SE3::identity(), "j1");
  const auto j2 = *model.add_joint(j1, JointModel::revolute({0, 1, 0}),
                                   {SpatialRotation::Identity(), {l1, 0, 0}}, "j2");
  for (const auto& [joint, mass, length, name] :
       {std::tuple{j1, m1, l1, "b1"}, std::tuple{j2, m2, l2, "b2"}}) {
    Frame body{name, joint, 0, {SpatialRotation::Identity(), {length, 0, 0}}, FrameType::Body, {}};
    body.inertia.mass = mass;
    (void)*model.add_frame(body, true);
  }
  Data data = model.create_data();
  Rng rng(7);
  for (int trial = 0; trial < 5; ++trial) {
    const Configuration q = testing::random_q(model, rng), v = random_v(model, rng),
                        a = random_v(model, rng);
    // rotation about y turns x towards -z: the plane's upward angle is the joint angle
    const double c2 = std::cos(q[1]), s2 = std::sin(q[1]);
    Eigen::Matrix2d mass;
    mass(0, 0) = m1 * l1 * l1 + m2 * (l1 * l1 + l2 * l2 + 2 * l1 * l2 * c2);
    mass(0, 1) = mass(1, 0) = m2 * (l2 * l2 + l1 * l2 * c2);
    mass(1, 1) = m2 * l2 * l2;
    const double h = m2 * l1 * l2 * s2;
    const Eigen::Vector2d coriolis(-h * (2 * v[0] * v[1] + v[1] * v[1]), h * v[0] * v[0]);
    const Eigen::Vector2d gravity(
        -g * ((m1 + m2) * l1 * std::cos(q[0]) + m2 * l2 * std::cos(q[0] + q[1])),
        -g * m2 * l2 * std::cos(q[0] + q[1]));
    const Eigen::Vector2d expected = mass * a + coriolis + gravity;
    EXPECT_TRUE(rnea(model, data, q, v, a)->isApprox(expected, 1e-12));
    EXPECT_TRUE(crba(model, data, q)->isApprox(mass, 1e-12));
  }
}

TEST(ForwardDynamics, Rk4PendulumChainConservesEnergy) {
  Rng rng(11);
  const Model model = random_tree(rng, 4, false, false);
  Data data = model.create_data();
  Configuration q = random_q(model, rng);
  Configuration v = random_v(model, rng);
  const auto energy = [&](const Configuration& at, const Configuration& rate) {
    return *kinetic_energy(model, data, at, rate) + *potential_energy(model, data, at);
  };
  const auto accel = [&](const Configuration& at, const Configuration& rate) {
    return *aba(model, data, at, rate, zeros(model.nv()));
  };
  const double start = energy(q, v), dt = 1e-3;
  for (int step = 0; step < 1000; ++step) {
    const Configuration k1v = accel(q, v), k1q = v;
    const Configuration v2 = v + 0.5 * dt * k1v, q2 = *integrate(model, q, 0.5 * dt * k1q);
    const Configuration k2v = accel(q2, v2), k2q = v2;
    const Configuration v3 = v + 0.5 * dt * k2v, q3 = *integrate(model, q, 0.5 * dt * k2q);
    const Configuration k3v = accel(q3, v3), k3q = v3;
    const Configuration v4 = v + dt * k3v, q4 = *integrate(model, q, dt * k3q);
    const Configuration k4v = accel(q4, v4), k4q = v4;
    q = *integrate(model, q, dt / 6 * (k1q + 2 * k2q + 2 * k3q + k4q));
    v += dt / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
  }
  EXPECT_NEAR(energy(q, v), start, 1e-8 * std::abs(start));
  EXPECT_GT(v.norm(), 0.1);  // it did move
}

// Every algorithm refuses wrong lengths (q, then v, then a / tau) and foreign data.
TEST(Algorithms, RefuseWrongSizesInOrderAndForeignData) {
  Model model;
  (void)*model.add_joint(0, JointModel::continuous({0, 0, 1}), SE3::identity(), "c");
  (void)*model.add_joint(1, JointModel::revolute({1, 0, 0}), SE3::identity(), "r");
  Data data = model.create_data();
  const Configuration q2 = zeros(3), v2 = zeros(2), bad = zeros(3);
  const auto text = [](const auto& result) { return result.error().display(); };
  EXPECT_EQ(text(rnea(model, data, zeros(2), bad, bad)),
            "Parameter 'q' expected configuration size 3, but got 2");
  EXPECT_EQ(text(rnea(model, data, q2, bad, bad)),
            "Parameter 'v' expected configuration size 2, but got 3");
  EXPECT_EQ(text(rnea(model, data, q2, v2, bad)),
            "Parameter 'a' expected configuration size 2, but got 3");
  EXPECT_EQ(text(aba(model, data, q2, v2, zeros(1))),
            "Parameter 'tau' expected configuration size 2, but got 1");
  EXPECT_EQ(text(crba(model, data, zeros(4))),
            "Parameter 'q' expected configuration size 3, but got 4");
  EXPECT_EQ(text(kinetic_energy(model, data, q2, zeros(1))),
            "Parameter 'v' expected configuration size 2, but got 1");

  Model other = model;
  (void)*other.add_joint(2, JointModel::prismatic({1, 0, 0}), SE3::identity(), "p");
  const std::string fewer = "Data does not match the model: expected 4 joint data, got 3";
  EXPECT_EQ(text(rnea(other, data, zeros(4), zeros(3), zeros(3))), fewer);
  EXPECT_EQ(text(aba(other, data, zeros(4), zeros(3), zeros(3))), fewer);
  EXPECT_EQ(text(potential_energy(other, data, zeros(4))), fewer);

  Model swapped;
  (void)*swapped.add_joint(0, JointModel::continuous({0, 0, 1}), SE3::identity(), "c");
  (void)*swapped.add_joint(1, JointModel::prismatic({1, 0, 0}), SE3::identity(), "p");
  EXPECT_EQ(text(crba(swapped, data, q2)),
            "Data does not match the model: joint 2 is Prismatic but its data is Revolute");
}

// The same tree hung 100 m from the world origin: results must not lose their accuracy.
TEST(ForwardDynamics, TreeFarFromTheWorldOrigin) {
  for (int seed = 1; seed <= 6; ++seed) {
    Rng rng(static_cast<std::uint64_t>(seed));
    const Model near = random_tree(rng, 8);
    Model far("far");
    for (std::size_t i = 1; i < near.njoints(); ++i) {
      SE3 placement = near.joint_placements()[i];
      if (near.joint_parents()[i] == 0) placement.translation += Vector3D(80, -60, 0);
      (void)*far.add_joint(near.joint_parents()[i], near.joint_models()[i], placement,
                           near.joint_names()[i]);
      far.inertia(i) = near.inertias()[i];
    }
    Data near_data = near.create_data(), far_data = far.create_data();
    const Configuration q = random_q(near, rng), v = random_v(near, rng), a = random_v(near, rng);
    const Configuration tau = *rnea(near, near_data, q, v, a);
    EXPECT_TRUE(rnea(far, far_data, q, v, a)->isApprox(tau, 1e-12)) << seed;
    EXPECT_TRUE(aba(far, far_data, q, v, tau)->isApprox(a, 1e-9)) << seed;
    EXPECT_TRUE(crba(far, far_data, q)->isApprox(*crba(near, near_data, q), 1e-10)) << seed;
  }
}

TEST(Algorithms, WorldOnlyModelGivesEmptyResults) {
  const Model model;
  Data data = model.create_data();
  const Configuration empty(0);
  EXPECT_EQ(rnea(model, data, empty, empty, empty)->size(), 0);
  EXPECT_EQ(aba(model, data, empty, empty, empty)->size(), 0);
  EXPECT_EQ(crba(model, data, empty)->size(), 0);
  EXPECT_EQ(*potential_energy(model, data, empty), 0.0);
}

}  // namespace
}  // namespace kinetra
