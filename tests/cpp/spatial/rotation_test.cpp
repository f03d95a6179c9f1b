#include "kinetra/spatial/rotation.hpp"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <cmath>
#include <numbers>

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;

double max_diff(const SpatialRotation& a, const SpatialRotation& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

struct AxisAngleCase {
  Vector3D axis;
  double angle;
};

class AxisAngleTest : public testing::TestWithParam<AxisAngleCase> {};

TEST_P(AxisAngleTest, MatchesRodriguesForTheNormalisedAxis) {
  const auto& [axis, angle] = GetParam();
  const SpatialRotation r = rotation_from_axis_angle(axis, angle);
  const SpatialRotation expected = Eigen::AngleAxisd(angle, axis.normalized()).toRotationMatrix();
  EXPECT_LT(max_diff(r, expected), 1e-15);
  EXPECT_LT(max_diff(r.transpose() * r, SpatialRotation::Identity()), 1e-15);
  EXPECT_NEAR(r.determinant(), 1.0, 1e-15);
  // the axis is fixed by its own rotation
  EXPECT_LT((r * axis - axis).norm(), 1e-14 * axis.norm());
}

INSTANTIATE_TEST_SUITE_P(Axes, AxisAngleTest,
                         testing::Values(AxisAngleCase{Vector3D(0, 0, 2), kPi / 2},
                                         AxisAngleCase{Vector3D(1, 0, 0), 0.3},
                                         AxisAngleCase{Vector3D(0, -5, 0), -1.2},
                                         AxisAngleCase{Vector3D(1, 2, 3), 2.5},
                                         AxisAngleCase{Vector3D(-0.1, 0.02, 0.3), kPi},
                                         AxisAngleCase{Vector3D(1e-3, 1e-3, 0), 7.0}));

TEST(AxisAngleTest, ZeroAngleIsExactIdentityWithoutLookingAtTheAxis) {
  EXPECT_EQ(rotation_from_axis_angle(Vector3D::Zero(), 0.0), SpatialRotation::Identity());
  EXPECT_EQ(rotation_from_axis_angle(Vector3D(1, 2, 3), -0.0), SpatialRotation::Identity());
}

TEST(AxisAngleTest, UnitAxisFormIsExactIdentityAtCosineOne) {
  for (const Vector3D& u :
       {Vector3D(1.0 / 3, -2.0 / 3, 2.0 / 3), Vector3D(0.6, 0, -0.8), Vector3D(0, 1, 0)}) {
    EXPECT_EQ(rotation_about_unit_axis(u, 1.0, 0.0), SpatialRotation::Identity());
  }
}

TEST(AxisAngleTest, QuarterTurnAboutScaledZMapsXToY) {
  const SpatialRotation r = rotation_from_axis_angle(Vector3D(0, 0, 2), kPi / 2);
  EXPECT_LT(max_diff(r, rotation_from_axis_angle(Vector3D::UnitZ(), kPi / 2)), 1e-16);
  EXPECT_LT((r * Vector3D::UnitX() - Vector3D::UnitY()).norm(), 1e-15);
}

struct EulerCase {
  double roll, pitch, yaw;
};

class EulerTest : public testing::TestWithParam<EulerCase> {};

TEST_P(EulerTest, IsYawAfterPitchAfterRollAboutFixedAxes) {
  const auto [roll, pitch, yaw] = GetParam();
  const SpatialRotation r = rotation_from_euler_angles(roll, pitch, yaw);
  const SpatialRotation expected =
      (Eigen::AngleAxisd(yaw, Vector3D::UnitZ()) * Eigen::AngleAxisd(pitch, Vector3D::UnitY()) *
       Eigen::AngleAxisd(roll, Vector3D::UnitX()))
          .toRotationMatrix();
  EXPECT_LT(max_diff(r, expected), 1e-15);
  const Vector3D x_image(std::cos(yaw) * std::cos(pitch), std::sin(yaw) * std::cos(pitch),
                         -std::sin(pitch));
  EXPECT_LT((r * Vector3D::UnitX() - x_image).norm(), 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Angles, EulerTest,
                         testing::Values(EulerCase{0.1, 0.2, 0.3}, EulerCase{-1.0, 0.5, 2.0},
                                         EulerCase{kPi / 2, kPi / 2, 0.0},
                                         EulerCase{0.0, -kPi / 2, kPi}, EulerCase{3.0, 1.0, -2.5}));

TEST(EulerTest, PureYawIsRotationAboutZ) {
  EXPECT_LT(max_diff(rotation_from_euler_angles(0, 0, 0.7),
                     rotation_from_axis_angle(Vector3D::UnitZ(), 0.7)),
            1e-16);
}

TEST(EulerTest, OrderDiffersFromRollFirstComposition) {
  const SpatialRotation reversed =
      (Eigen::AngleAxisd(0.1, Vector3D::UnitX()) * Eigen::AngleAxisd(0.2, Vector3D::UnitY()) *
       Eigen::AngleAxisd(0.3, Vector3D::UnitZ()))
          .toRotationMatrix();
  EXPECT_GT(max_diff(rotation_from_euler_angles(0.1, 0.2, 0.3), reversed), 1e-2);
}

}  // namespace
}  // namespace kinetra
