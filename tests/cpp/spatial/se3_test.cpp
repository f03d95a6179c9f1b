#include "kinetra/spatial/se3.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {
namespace {

template <class A, class B>
double max_diff(const A& a, const B& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

SE3 sample_placement(int seed) {
  Rng rng(static_cast<Rng::result_type>(seed));
  SE3 m = SE3::random(rng);
  m.translation *= 3.0;  // reach beyond the unit cube
  return m;
}

class PlacementTest : public testing::TestWithParam<int> {
 protected:
  SE3 a = sample_placement(GetParam());
  SE3 b = sample_placement(GetParam() + 100);
  Vector6D m = Vector6D::Random();
  Vector6D f = Vector6D::Random();
};

TEST_P(PlacementTest, CompositionActsLikeSuccessivePoints) {
  const Vector3D p(0.3, -1.2, 2.0);
  const SE3 ab = a * b;
  EXPECT_LT(max_diff(ab.act_point(p), a.act_point(b.act_point(p))), 1e-14);
  EXPECT_LT(max_diff(ab.translation, a.rotation * b.translation + a.translation), 1e-15);
}

TEST_P(PlacementTest, InverseUndoesOnBothSides) {
  for (const SE3& id : {a * a.inverse(), a.inverse() * a}) {
    EXPECT_LT(max_diff(id.rotation, SpatialRotation::Identity()), 1e-15);
    EXPECT_LT(id.translation.cwiseAbs().maxCoeff(), 1e-15);
  }
}

TEST_P(PlacementTest, ActionMatrixAgreesWithTheActFunctions) {
  const SpatialTransform x = a.action();
  EXPECT_LT(max_diff(x * f, a.act_force(f)), 1e-14);
  EXPECT_LT(max_diff(x.transpose() * m, a.act_motion_inverse(m)), 1e-14);
  EXPECT_LT(max_diff(x.inverse() * f, a.act_force_inverse(f)), 1e-13);
  EXPECT_LT(max_diff(a.inverse().action().transpose() * m, a.act_motion(m)), 1e-14);
}

TEST_P(PlacementTest, ActionOfCompositionIsProductOfActions) {
  EXPECT_LT(max_diff((a * b).action(), a.action() * b.action()), 1e-14);
}

TEST_P(PlacementTest, InverseFormsUndoTheForwardForms) {
  EXPECT_LT(max_diff(a.act_motion_inverse(a.act_motion(m)), m), 1e-14);
  EXPECT_LT(max_diff(a.act_force_inverse(a.act_force(f)), f), 1e-14);
  EXPECT_LT(max_diff(a.act_motion(m), a.inverse().act_motion_inverse(m)), 1e-14);
}

TEST_P(PlacementTest, PowerIsFrameInvariant) {
  EXPECT_NEAR(a.act_motion(m).dot(a.act_force(f)), m.dot(f), 1e-13);
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlacementTest, testing::Range(1, 9));

TEST(SE3Test, ActionBlockLayout) {
  SE3 m;
  m.rotation = rotation_from_axis_angle(Vector3D(1, 1, 0), 0.4);
  m.translation = Vector3D(1, -2, 3);
  const SpatialTransform x = m.action();
  const Eigen::Matrix3d top_left = x.topLeftCorner<3, 3>(), top_right = x.topRightCorner<3, 3>();
  const Eigen::Matrix3d bottom_left = x.bottomLeftCorner<3, 3>();
  const Eigen::Matrix3d bottom_right = x.bottomRightCorner<3, 3>();
  EXPECT_EQ(top_left, m.rotation);
  EXPECT_EQ(bottom_right, m.rotation);
  EXPECT_EQ(bottom_left, Eigen::Matrix3d::Zero());
  EXPECT_LT(max_diff(top_right, skew(m.translation) * m.rotation), 1e-15);
  EXPECT_EQ(x.transpose().transpose(), x);
}

TEST(SE3Test, ActionOfPureTranslation) {
  SE3 m;
  m.translation = Vector3D(1, 2, 3);
  const Vector3D f(0, 0, 1), n(4, 5, 6);
  EXPECT_EQ(m.action() * motion_from_parts(Vector3D::Zero(), f),
            motion_from_parts(m.translation.cross(f), f));
  EXPECT_EQ(m.action() * motion_from_parts(n, Vector3D::Zero()),
            motion_from_parts(n, Vector3D::Zero()));
}

TEST(SE3Test, RandomStaysInItsRanges) {
  Rng rng(7);
  for (int i = 0; i < 2000; ++i) {
    const SE3 m = SE3::random(rng);
    EXPECT_TRUE((m.translation.array() >= -1.0).all() && (m.translation.array() < 1.0).all());
    EXPECT_TRUE(is_orthogonal(m.rotation));
    EXPECT_NEAR(m.rotation.determinant(), 1.0, 1e-14);
    const double angle = std::acos(std::clamp((m.rotation.trace() - 1.0) / 2.0, -1.0, 1.0));
    EXPECT_LE(angle, std::sqrt(3.0) + 1e-12);
  }
}

TEST(SE3Test, RandomDrawsTranslationFirstThenRotationVector) {
  Rng rng(11), copy(11);
  const SE3 m = SE3::random(rng);
  double u[6];
  for (double& x : u) x = 2.0 * uniform01(copy) - 1.0;
  EXPECT_EQ(m.translation, Vector3D(u[0], u[1], u[2]));
  const Vector3D a(u[3], u[4], u[5]);
  EXPECT_LT(max_diff(m.rotation, rotation_from_axis_angle(a, a.norm())), 1e-15);
  EXPECT_EQ(rng(), copy());  // six draws, no more
}

struct OrthogonalityCase {
  const char* name;
  SpatialRotation r;
  bool accepted;
};

SpatialRotation with_entry(int row, int col, double value) {
  SpatialRotation r = SpatialRotation::Identity();
  r(row, col) = value;
  return r;
}

SpatialRotation column_scaled(double squared_norm) {
  SpatialRotation r = rotation_from_euler_angles(0.3, -0.2, 1.1);
  r.col(1) *= std::sqrt(squared_norm);
  return r;
}

class OrthogonalityTest : public testing::TestWithParam<OrthogonalityCase> {};

TEST_P(OrthogonalityTest, Check) { EXPECT_EQ(is_orthogonal(GetParam().r), GetParam().accepted); }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Matrices, OrthogonalityTest,
    testing::Values(OrthogonalityCase{"identity", SpatialRotation::Identity(), true},
                    OrthogonalityCase{"euler", rotation_from_euler_angles(2.0, -1.0, 0.5), true},
                    OrthogonalityCase{"reflection", Eigen::Vector3d(1, 1, -1).asDiagonal(), true},
                    OrthogonalityCase{"off_diagonal_5e7", with_entry(0, 1, 5e-7), true},
                    OrthogonalityCase{"off_diagonal_2e6", with_entry(0, 1, 2e-6), false},
                    OrthogonalityCase{"norm_5e7", column_scaled(1.0 + 5e-7), true},
                    OrthogonalityCase{"norm_2e6", column_scaled(1.0 + 2e-6), false},
                    OrthogonalityCase{"scaled", SpatialRotation::Identity() * 2.0, false},
                    OrthogonalityCase{"zero", SpatialRotation::Zero(), false},
                    OrthogonalityCase{"nan", with_entry(2, 2, kNaN), false},
                    OrthogonalityCase{"nan_off_diagonal", with_entry(1, 0, kNaN), false},
                    OrthogonalityCase{"inf", with_entry(0, 0, kInf), false},
                    // the squared column norm overflows to inf without producing a NaN
                    OrthogonalityCase{"overflow", with_entry(0, 0, 1e200), false}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kinetra
