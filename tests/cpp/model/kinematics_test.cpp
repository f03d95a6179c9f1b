#include <gtest/gtest.h>

#include <cmath>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

SE3 translation(double x, double y, double z) { return {SpatialRotation::Identity(), {x, y, z}}; }

TEST(ForwardKinematics, WorldOnlyModel) {
  const Model model;
  Data data = model.create_data();
  ASSERT_TRUE(forward_kinematics(model, data, Configuration(0)));
  ASSERT_EQ(data.joint_placements.size(), 1u);
  EXPECT_TRUE(data.joint_placements[0].rotation.isIdentity(0.0));
}

TEST(ForwardKinematics, ComposesParentRestAndJointMotion) {
  Model model;
  const auto j1 = *model.add_joint(0, JointModel::revolute({0, 0, 1}), translation(1, 0, 0), "a");
  const auto j2 = *model.add_joint(j1, JointModel::prismatic({0, 0, 2}), translation(0, 0, 1), "b");
  Data data = model.create_data();
  ASSERT_TRUE(forward_kinematics(model, data, Configuration{{M_PI / 2, 0.5}}));
  const SE3& first = data.joint_placements[j1];
  EXPECT_TRUE(first.translation.isApprox(Vector3D(1, 0, 0)));
  EXPECT_TRUE((first.rotation * Vector3D::UnitX()).isApprox(Vector3D::UnitY()));
  // rest offset (0, 0, 1) then the slide 2 * 0.5 along z
  EXPECT_TRUE(data.joint_placements[j2].translation.isApprox(Vector3D(1, 0, 2)));
  EXPECT_TRUE(data.joint_data[j2].placement().translation.isApprox(Vector3D(0, 0, 1)));

  // a second call leaves only its own result
  ASSERT_TRUE(forward_kinematics(model, data, Configuration{{0.0, 0.0}}));
  EXPECT_TRUE(data.joint_placements[j2].translation.isApprox(Vector3D(1, 0, 1)));
  EXPECT_TRUE(data.joint_placements[j1].rotation.isIdentity(0.0));
}

TEST(ForwardKinematics, AgreesWithPotentialEnergyPlacements) {
  // centres of mass placed by forward kinematics give the same energy as the algorithm
  Rng rng(3);
  const Model model = testing::random_tree(rng, 9);
  Data data = model.create_data();
  const Configuration q = testing::random_q(model, rng);
  ASSERT_TRUE(forward_kinematics(model, data, q));
  double energy = 0.0;
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    const Inertia& body = model.inertias()[i];
    energy -= body.mass * model.gravity().dot(data.joint_placements[i].act_point(body.com));
  }
  EXPECT_NEAR(*potential_energy(model, data, q), energy, 1e-12);
}

TEST(ForwardKinematics, RefusesWrongLengthWithoutChangingData) {
  Model model;
  (void)*model.add_joint(0, JointModel::revolute({0, 0, 1}), translation(1, 0, 0), "a");
  (void)*model.add_joint(1, JointModel::revolute({0, 0, 1}), translation(1, 0, 0), "b");
  Data data = model.create_data();
  ASSERT_TRUE(forward_kinematics(model, data, Configuration{{0.3, 0.4}}));
  const SE3 before = data.joint_placements[2];
  for (const Eigen::Index n : {1, 3}) {
    const auto result = forward_kinematics(model, data, Configuration::Ones(n));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().debug(),
              "Parameter 'q' expected configuration size 2, but got " + std::to_string(n));
  }
  EXPECT_EQ(data.joint_placements[2].translation, before.translation);

  Data foreign = Model().create_data();
  EXPECT_EQ(forward_kinematics(model, foreign, Configuration{{0.3, 0.4}}).error().display(),
            "Data does not match the model: expected 3 joint data, got 1");
}

TEST(Configurations, NeutralAndRandomFollowJointOrder) {
  Model model;
  (void)*model.add_joint(0, JointModel::revolute({1, 0, 0}), SE3::identity(), "r");
  (void)*model.add_joint(1, JointModel::continuous({0, 1, 0}), SE3::identity(), "c");
  (void)*model.add_joint(2, JointModel::fixed(), SE3::identity(), "f");
  (void)*model.add_joint(3, JointModel::prismatic({0, 0, 1}), SE3::identity(), "p");
  EXPECT_EQ(*neutral(model), (Configuration{{0.0, 1.0, 0.0, 0.0}}));
  EXPECT_EQ(neutral(Model())->size(), 0);

  Rng rng(5);
  const Configuration first = *random_configuration(model, rng);
  ASSERT_EQ(first.size(), 4);
  EXPECT_NEAR(first.segment(1, 2).norm(), 1.0, 1e-12);
  EXPECT_NE(first, *random_configuration(model, rng));
}

TEST(Configurations, RandomRefusesAnEmptyJointRange) {
  Model model;
  JointModel pinned = JointModel::prismatic({0, 0, 1});
  pinned.limits().min_configuration[0] = pinned.limits().max_configuration[0] = 0.5;
  (void)*model.add_joint(0, JointModel::revolute({0, 0, 1}), SE3::identity(), "free");
  (void)*model.add_joint(1, pinned, SE3::identity(), "pinned");
  Rng rng(9);
  EXPECT_FALSE(random_configuration(model, rng));
}

}  // namespace
}  // namespace kinetra
