#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

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
      {JointModel::floating(),
       JointType::Floating,
       "Floating",
       7,
       6,
       Configuration{{0, 0, 0, 0, 0, 0, 1}},
       {motion(1, 0, 0, 0, 0, 0), motion(0, 1, 0, 0, 0, 0), motion(0, 0, 1, 0, 0, 0),
        motion(0, 0, 0, 1, 0, 0), motion(0, 0, 0, 0, 1, 0), motion(0, 0, 0, 0, 0, 1)}},
      {JointModel::spherical(),
       JointType::Spherical,
       "Spherical",
       4,
       3,
       Configuration{{0, 0, 0, 1}},
       {motion(1, 0, 0, 0, 0, 0), motion(0, 1, 0, 0, 0, 0), motion(0, 0, 1, 0, 0, 0)}},
      {JointModel::planar(),
       JointType::Planar,
       "Planar",
       4,
       3,
       Configuration{{0, 0, 1, 0}},
       {motion(0, 0, 1, 0, 0, 0), motion(0, 0, 0, 1, 0, 0), motion(0, 0, 0, 0, 1, 0)}},
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
    EXPECT_EQ(c.joint.limits().max_effort.size(), static_cast<Eigen::Index>(c.nv));
    EXPECT_EQ(c.joint.limits().max_velocity.size(), static_cast<Eigen::Index>(c.nv));
    const MotionSubspace s = c.joint.motion_subspace();
    ASSERT_EQ(static_cast<std::size_t>(s.cols()), c.axes.size());
    for (std::size_t k = 0; k < c.axes.size(); ++k) {
      EXPECT_EQ(SpatialMotion(s.col(static_cast<Eigen::Index>(k))), c.axes[k]);
    }
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

TEST(JointModel, TransformAfterRestIsTheProduct) {
  Rng rng(5);
  for (const auto& c : kind_cases()) {
    SCOPED_TRACE(c.name);
    const SE3 rest = SE3::random(rng);
    const Configuration q = *c.joint.random_configuration(rng);
    const SE3 expected = rest * c.joint.transform(q);
    const SE3 placed = c.joint.transform_after(rest, q);
    EXPECT_TRUE(placed.rotation.isApprox(expected.rotation, 1e-15));
    EXPECT_TRUE(placed.translation.isApprox(expected.translation, 1e-15));
  }
}

TEST(JointModel, ContinuousPairsOfAnyScaleTurnByTheirAngle) {
  const double inf = std::numeric_limits<double>::infinity();
  const Vector3D axis(1, 2, 2);
  const JointModel joint = JointModel::continuous(axis);
  for (const auto& [c, s] :
       {std::pair{1e200, -1e200}, std::pair{3e-170, 4e-170}, std::pair{1e-320, -0.0},
        std::pair{-2.0, 0.0}, std::pair{0.0, -5.0}, std::pair{inf, 1.0}, std::pair{-inf, inf}}) {
    const SpatialRotation expected = rotation_from_axis_angle(axis, std::atan2(s, c));
    EXPECT_TRUE(joint.transform(Configuration{{c, s}}).rotation.isApprox(expected, 1e-15))
        << c << " " << s;
  }
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

TEST(JointData, UpdateRefusesWrongLength) {
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
    EXPECT_TRUE(position >= -2 * std::numbers::pi && position < 2 * std::numbers::pi) << position;
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
