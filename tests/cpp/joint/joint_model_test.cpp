#include <gtest/gtest.h>

#include <cmath>

#include "kinetra/joint/joint_model.hpp"

namespace kinetra {
namespace {

struct KindCase {
  JointModel joint;
  JointType type;
  const char* name;
  std::size_t nq, nv;
  Configuration neutral;
  std::vector<SpatialMotion> axes;
};

SpatialMotion motion(double wx, double wy, double wz, double vx, double vy, double vz) {
  return (SpatialMotion() << wx, wy, wz, vx, vy, vz).finished();
}

std::vector<KindCase> kind_cases() {
  return {
      {JointModel::revolute({0, 0, 2}),
       JointType::Revolute,
       "Revolute",
       1,
       1,
       Configuration{{0.0}},
       {motion(0, 0, 1, 0, 0, 0)}},
      {JointModel::continuous({0, 3, 0}),
       JointType::Continuous,
       "Continuous",
       2,
       1,
       Configuration{{1.0, 0.0}},
       {motion(0, 1, 0, 0, 0, 0)}},
      {JointModel::prismatic({0, 0, 2}),
       JointType::Prismatic,
       "Prismatic",
       1,
       1,
       Configuration{{0.0}},
       {motion(0, 0, 0, 0, 0, 2)}},
      {JointModel::fixed(), JointType::Fixed, "Fixed", 0, 0, Configuration(0), {}},
  };
}

TEST(JointModel, KindsDescribeThemselves) {
  for (const auto& c : kind_cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.joint.type(), c.type);
    EXPECT_STREQ(to_string(c.joint.type()), c.name);
    EXPECT_EQ(c.joint.nq(), c.nq);
    EXPECT_EQ(c.joint.nv(), c.nv);
    EXPECT_EQ(c.joint.neutral(), c.neutral);
    EXPECT_EQ(c.joint.limits().min_configuration.size(), static_cast<Eigen::Index>(c.nq));
    const auto axes = c.joint.axes();
    ASSERT_EQ(axes.size(), c.axes.size());
    for (std::size_t k = 0; k < axes.size(); ++k) EXPECT_EQ(axes[k], c.axes[k]);
    // the neutral configuration is the identity placement
    EXPECT_TRUE(c.joint.transform(c.neutral).rotation.isIdentity(0.0));
    EXPECT_TRUE(c.joint.transform(c.neutral).translation.isZero(0.0));
  }
}

TEST(JointModel, Transforms) {
  const SE3 quarter = JointModel::revolute({0, 0, 1}).transform(Configuration{{M_PI / 2}});
  EXPECT_TRUE((quarter.rotation * Vector3D::UnitX()).isApprox(Vector3D::UnitY()));
  EXPECT_TRUE(quarter.translation.isZero(0.0));

  const JointModel continuous = JointModel::continuous({0, 0, 5});
  EXPECT_TRUE(continuous.transform(Configuration{{0.0, 1.0}}).rotation.isApprox(quarter.rotation));
  EXPECT_EQ(continuous.transform(Configuration{{2.0, 0.0}}).rotation,
            continuous.transform(Configuration{{1.0, 0.0}}).rotation);
  EXPECT_TRUE(continuous.transform(Configuration{{0.0, 0.0}}).rotation.isIdentity(0.0));

  const SE3 slide = JointModel::prismatic({0, 0, 2}).transform(Configuration{{0.5}});
  EXPECT_EQ(slide.translation, Vector3D(0, 0, 1));
}

TEST(JointData, UpdateStoresTheTransform) {
  Rng rng(4);
  for (const auto& c : kind_cases()) {
    SCOPED_TRACE(c.name);
    JointData data = c.joint.create_data();
    EXPECT_EQ(data.type(), c.type);
    const Configuration q = *c.joint.random_configuration(rng);
    ASSERT_TRUE(data.update(c.joint, q));
    const SE3 expected = c.joint.transform(q);
    EXPECT_TRUE(data.placement().rotation.isApprox(expected.rotation, 1e-15));
    EXPECT_TRUE(data.placement().translation.isApprox(expected.translation, 1e-15));
  }
}

TEST(JointData, UpdateRefusesWrongLengthAndMissingAxis) {
  struct Case {
    JointModel joint;
    Eigen::Index wrong_length;
    const char* message;
  };
  for (const auto& c :
       {Case{JointModel::revolute({1, 0, 0}), 2, "Revolute joint model expects a single angle."},
        Case{JointModel::continuous({1, 0, 0}), 1,
             "Continuous joint model expects two values (cosine and sine)."},
        Case{JointModel::prismatic({1, 0, 0}), 0,
             "Prismatic joint data update expects a single position value."}}) {
    JointData data = c.joint.create_data();
    const auto result = data.update(c.joint, Configuration::Ones(c.wrong_length));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().display(), c.message);
    EXPECT_TRUE(data.placement().rotation.isIdentity(0.0));
  }

  JointData revolute = JointModel::revolute({1, 0, 0}).create_data();
  const auto missing = revolute.update(JointModel::fixed(), Configuration{{1.0}});
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().debug(), "MissingAttributeError(\"axis\")");
  EXPECT_TRUE(revolute.placement().rotation.isIdentity(0.0));

  JointData fixed = JointModel::fixed().create_data();
  EXPECT_TRUE(fixed.update(JointModel::fixed(), Configuration::Ones(3)));
}

TEST(JointModel, RandomConfigurationsStayWithinBounds) {
  Rng rng(8);
  JointModel bounded = JointModel::revolute({1, 0, 0});
  bounded.limits().min_configuration[0] = -1.0;
  bounded.limits().max_configuration[0] = 1.0;
  const JointModel copy = bounded;
  bounded.limits().max_configuration[0] = -1.5;  // copies are independent
  const JointModel unbounded = JointModel::prismatic({1, 0, 0});
  const JointModel continuous = JointModel::continuous({1, 0, 0});
  for (int i = 0; i < 1000; ++i) {
    const double angle = (*copy.random_configuration(rng))[0];
    EXPECT_TRUE(angle >= -1.0 && angle < 1.0) << angle;
    const double position = (*unbounded.random_configuration(rng))[0];
    EXPECT_TRUE(position >= -2 * M_PI && position < 2 * M_PI) << position;
    EXPECT_NEAR(continuous.random_configuration(rng)->norm(), 1.0, 1e-15);
  }
  EXPECT_FALSE(bounded.random_configuration(rng));

  JointModel pinned = JointModel::revolute({1, 0, 0});
  pinned.limits().min_configuration[0] = pinned.limits().max_configuration[0] = 0.25;
  EXPECT_FALSE(pinned.random_configuration(rng));
  EXPECT_EQ(JointModel::fixed().random_configuration(rng)->size(), 0);
}

}  // namespace
}  // namespace kinetra
