#include "kinetra/spatial/exponential_maps.hpp"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <cmath>
#include <numbers>

#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/rotation_conversions.hpp"

namespace kinetra {
namespace {

constexpr double kPi = std::numbers::pi;

template <class A, class B>
double max_diff(const A& a, const B& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

// exp of the 4x4 twist matrix [[w]x, v; 0, 0] by its power series (moderate |twist| only)
SE3 exp6_by_series(const SpatialMotion& twist) {
  Eigen::Matrix4d x = Eigen::Matrix4d::Zero();
  x.topLeftCorner<3, 3>() = skew(twist.head<3>());
  x.topRightCorner<3, 1>() = twist.tail<3>();
  Eigen::Matrix4d term = Eigen::Matrix4d::Identity(), sum = term;
  for (int k = 1; k < 60; ++k) sum += (term = term * x / k);
  return {sum.topLeftCorner<3, 3>(), sum.topRightCorner<3, 1>()};
}

// angles from 0 to pi, the ends and their neighbourhoods included
const double kAngles[] = {0.0, 1e-300, 1e-12, 1e-6,       1e-3,       0.5,
                          1.0, 2.0,    3.0,   kPi - 1e-6, kPi - 1e-9, kPi};

class AngleTest : public testing::TestWithParam<double> {
 protected:
  Vector3D axis = Vector3D(0.3, -0.5, 0.8).normalized();
  Vector3D w = GetParam() * axis;
  SpatialMotion twist = motion_from_parts(w, Vector3D(0.4, -1.1, 0.7));
};

TEST_P(AngleTest, Exp3MatchesAxisAngleAndLog3InvertsIt) {
  const SpatialRotation r = exp3(w);
  EXPECT_LT(max_diff(r, Eigen::AngleAxisd(GetParam(), axis).toRotationMatrix()), 2e-15);
  // at pi, w and -w are the same rotation
  const Vector3D back = log3(r);
  EXPECT_TRUE(max_diff(back, w) < 1e-14 || (GetParam() > 3.0 && max_diff(back, -w) < 1e-14))
      << back.transpose();
  EXPECT_LT(max_diff(exp3(back), r), 1e-15);
}

TEST_P(AngleTest, Exp6MatchesItsSeriesAndLog6InvertsIt) {
  const SE3 m = exp6(twist);
  const SE3 series = exp6_by_series(twist);
  EXPECT_LT(max_diff(m.rotation, series.rotation), 1e-14);
  EXPECT_LT(max_diff(m.translation, series.translation), 1e-14);
  const SE3 back = exp6(log6(m));
  EXPECT_LT(max_diff(back.rotation, m.rotation), 1e-14);
  EXPECT_LT(max_diff(back.translation, m.translation), 1e-13);
  if (GetParam() < 3.0) {
    EXPECT_LT(max_diff(log6(m), twist), 1e-13);
  }
}

// central differences of the right-perturbed maps, each column against the Jacobian's
TEST_P(AngleTest, JacobiansMatchFiniteDifferences) {
  constexpr double h = 1e-6;
  SpatialRotation j3;
  SpatialTransform j6;
  for (int i = 0; i < 3; ++i) {
    const Vector3D d = h * Vector3D::Unit(i);
    j3.col(i) =
        (log3(exp3(w).transpose() * exp3(w + d)) - log3(exp3(w).transpose() * exp3(w - d))) /
        (2 * h);
  }
  for (int i = 0; i < 6; ++i) {
    const SpatialMotion d = h * SpatialMotion::Unit(i);
    const SE3 inverse = exp6(twist).inverse();
    j6.col(i) = (log6(inverse * exp6(twist + d)) - log6(inverse * exp6(twist - d))) / (2 * h);
  }
  EXPECT_LT(max_diff(jexp3(w), j3), 1e-8);
  EXPECT_LT(max_diff(jexp6(twist), j6), 1e-8);
}

TEST_P(AngleTest, LogJacobiansInvertExpJacobiansWithoutNaN) {
  const SpatialRotation j3 = jlog3(exp3(w)) * jexp3(log3(exp3(w)));
  const SE3 m = exp6(twist);
  const SpatialTransform j6 = jlog6(m) * jexp6(log6(m));
  ASSERT_TRUE(j3.allFinite() && j6.allFinite());
  EXPECT_LT(max_diff(j3, SpatialRotation::Identity()), 1e-12);
  EXPECT_LT(max_diff(j6, SpatialTransform::Identity()), 1e-11);
}

INSTANTIATE_TEST_SUITE_P(Angles, AngleTest, testing::ValuesIn(kAngles));

TEST(ExponentialMapsTest, RotationByPiAboutEachAxisHasALogOfNormPi) {
  for (int i = 0; i < 3; ++i) {
    const SpatialRotation r = rotation_from_axis_angle(Vector3D::Unit(i), kPi);
    const Vector3D w = log3(r);
    EXPECT_NEAR(w.norm(), kPi, 1e-15);
    EXPECT_LT(max_diff(exp3(w), r), 1e-15);
  }
}

TEST(ExponentialMapsTest, InterpolateEndsAtBothPlacementsAndHalvesTheTurn) {
  Rng rng(3);
  const SE3 a = SE3::random(rng), b = SE3::random(rng);
  EXPECT_LT(max_diff(interpolate(a, b, 0.0).rotation, a.rotation), 1e-15);
  const SE3 end = interpolate(a, b, 1.0);
  EXPECT_LT(max_diff(end.rotation, b.rotation), 1e-14);
  EXPECT_LT(max_diff(end.translation, b.translation), 1e-14);
  // the same motion twice from a reaches b
  const SE3 step = a.inverse() * interpolate(a, b, 0.5);
  const SE3 twice = a * step * step;
  EXPECT_LT(max_diff(twice.rotation, b.rotation), 1e-14);
  EXPECT_LT(max_diff(twice.translation, b.translation), 1e-14);
}

class EulerAnglesTest : public testing::TestWithParam<Vector3D> {};

TEST_P(EulerAnglesTest, RoundTripThroughTheMatrix) {
  const Vector3D& rpy = GetParam();
  const SpatialRotation r = rotation_from_euler_angles(rpy.x(), rpy.y(), rpy.z());
  const Vector3D back = euler_angles_from_rotation(r);
  EXPECT_LT(max_diff(rotation_from_euler_angles(back.x(), back.y(), back.z()), r), 1e-15);
  if (std::abs(rpy.y()) < kPi / 2 - 1e-3) {
    EXPECT_LT(max_diff(back, rpy), 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(Angles, EulerAnglesTest,
                         testing::Values(Vector3D(0, 0, 0), Vector3D(0.1, -0.2, 0.3),
                                         Vector3D(-3.0, 1.5, 2.9), Vector3D(0.4, kPi / 2, -1.0),
                                         Vector3D(0.4, -kPi / 2, 1.0),
                                         Vector3D(1.0, kPi / 2 - 1e-9, 0.5)));

TEST(QuaternionFromRotationTest, HasNonNegativeScalarAndRotatesAlike) {
  Rng rng(5);
  for (int k = 0; k < 50; ++k) {
    const SpatialRotation r = SE3::random(rng).rotation;
    const Quaternion q = quaternion_from_rotation(r);
    EXPECT_GE(q.w(), 0.0);
    EXPECT_LT(max_diff(q.toRotationMatrix(), r), 1e-15);
  }
}

}  // namespace
}  // namespace kinetra
