#include "kinetra/spatial/symmetric3.hpp"

#include <gtest/gtest.h>

#include <numbers>

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {
namespace {

const Symmetric3 kSample{{1, 2, 3, 4, 5, 6}};

TEST(Symmetric3Test, StorageIsDiagonalThenUpperRows) {
  Eigen::Matrix3d expected;
  expected << 1, 4, 5, 4, 2, 6, 5, 6, 3;
  EXPECT_EQ(kSample.to_matrix(), expected);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(kSample(r, c), expected(r, c));
  }
  EXPECT_EQ(Symmetric3::from_matrix(expected).data, kSample.data);
}

TEST(Symmetric3Test, ProductAgreesWithFullMatrix) {
  const Vector3D v(0.5, -2, 3);
  EXPECT_EQ(kSample * v, kSample.to_matrix() * v);
  EXPECT_EQ(Symmetric3::identity() * Vector3D(1, 2, 3), Vector3D(1, 2, 3));
}

class SkewSquareTest : public testing::TestWithParam<Vector3D> {};

TEST_P(SkewSquareTest, IsSquareOfCrossMatrix) {
  const Vector3D v = GetParam();
  const Eigen::Matrix3d expected = skew(v) * skew(v);
  EXPECT_LT((Symmetric3::skew_square(v).to_matrix() - expected).cwiseAbs().maxCoeff(), 1e-14);
  const Vector3D u(0.2, -0.7, 1.3);
  EXPECT_LT((Symmetric3::skew_square(v) * u - v.cross(v.cross(u))).norm(), 1e-13);
}

INSTANTIATE_TEST_SUITE_P(Vectors, SkewSquareTest,
                         testing::Values(Vector3D(1, 2, 3), Vector3D(0, 0, 0), Vector3D(-1, 0, 0),
                                         Vector3D(0.3, -4, 2.5)));

TEST(SkewSquareTest, KnownEntries) {
  EXPECT_EQ(Symmetric3::skew_square(Vector3D(1, 2, 3)).data,
            (std::array<double, 6>{-13, -10, -5, 2, 3, 6}));
}

TEST(Symmetric3RotateTest, QuarterTurnAboutZSwapsXAndY) {
  const Symmetric3 d{{1, 2, 3, 0, 0, 0}};
  const Symmetric3 r = d.rotate(rotation_from_axis_angle(Vector3D::UnitZ(), std::numbers::pi / 2));
  const std::array<double, 6> expected{2, 1, 3, 0, 0, 0};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(r.data[i], expected[i], 1e-15) << i;
}

TEST(Symmetric3RotateTest, MatchesConjugationAndKeepsInvariants) {
  const SpatialRotation rot = rotation_from_euler_angles(0.4, -1.1, 2.3);
  const Symmetric3 r = kSample.rotate(rot);
  const Eigen::Matrix3d expected = rot * kSample.to_matrix() * rot.transpose();
  EXPECT_LT((r.to_matrix() - expected).cwiseAbs().maxCoeff(), 1e-14);
  EXPECT_NEAR(r.to_matrix().trace(), kSample.to_matrix().trace(), 1e-13);
  EXPECT_NEAR(r.to_matrix().determinant(), kSample.to_matrix().determinant(), 1e-12);
  // rotating back restores the original
  const Symmetric3 back = r.rotate(rot.transpose());
  for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(back.data[i], kSample.data[i], 1e-14) << i;
}

}  // namespace
}  // namespace kinetra
