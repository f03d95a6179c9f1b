#include "kinetra/spatial/vector.hpp"

#include <gtest/gtest.h>

#include "kinetra/spatial/se3.hpp"

namespace kinetra {
namespace {

template <class A, class B>
double max_diff(const A& a, const B& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

Vector6D six(double a, double b, double c, double d, double e, double f) {
  Vector6D v;
  v << a, b, c, d, e, f;
  return v;
}

struct CrossCase {
  Vector6D m, f, expected;
};

class MotionCrossForceTest : public testing::TestWithParam<CrossCase> {};

TEST_P(MotionCrossForceTest, UnitCases) {
  EXPECT_EQ(motion_cross_force(GetParam().m, GetParam().f), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Units, MotionCrossForceTest,
    testing::Values(
        // spinning about z turns a force along x into one along y
        CrossCase{six(0, 0, 1, 0, 0, 0), six(0, 0, 0, 1, 0, 0), six(0, 0, 0, 0, 1, 0)},
        // moving along x turns a force along y into a moment about z
        CrossCase{six(0, 0, 0, 1, 0, 0), six(0, 0, 0, 0, 1, 0), six(0, 0, 1, 0, 0, 0)},
        CrossCase{six(0, 0, 1, 0, 0, 0), six(1, 0, 0, 0, 0, 0), six(0, 1, 0, 0, 0, 0)},
        // self product of a screw motion is (0; w x v), not zero
        CrossCase{six(0, 0, 1, 1, 0, 0), six(0, 0, 1, 1, 0, 0), six(0, 0, 0, 0, 1, 0)}));

TEST(MotionCrossTest, SpatialCrossMatrices) {
  const Vector6D m = six(0.3, -1, 2, 0.5, 4, -0.7);
  const Vector6D x = six(1, -2, 0.25, 3, 0.5, -1);
  Eigen::Matrix<double, 6, 6> crm = Eigen::Matrix<double, 6, 6>::Zero();
  crm.topLeftCorner<3, 3>() = skew(m.head<3>());
  crm.bottomLeftCorner<3, 3>() = skew(m.tail<3>());
  crm.bottomRightCorner<3, 3>() = skew(m.head<3>());
  EXPECT_LT(max_diff(motion_cross_motion(m, x), crm * x), 1e-15);
  // the force cross product is the negative transpose
  EXPECT_LT(max_diff(motion_cross_force(m, x), -crm.transpose() * x), 1e-15);
  EXPECT_EQ(motion_cross_motion(m, m), Vector6D::Zero());
}

TEST(MotionCrossTest, CrossProductsAreDual) {
  for (int i = 0; i < 20; ++i) {
    const Vector6D m = Vector6D::Random(), n = Vector6D::Random(), f = Vector6D::Random();
    EXPECT_NEAR(motion_cross_motion(m, n).dot(f), -n.dot(motion_cross_force(m, f)), 1e-14);
  }
}

TEST(MotionCrossTest, CrossProductsCommuteWithChangeOfFrame) {
  Rng rng(3);
  for (int i = 0; i < 20; ++i) {
    const SE3 x = SE3::random(rng);
    const Vector6D m = Vector6D::Random(), n = Vector6D::Random(), f = Vector6D::Random();
    EXPECT_LT(max_diff(x.act_motion(motion_cross_motion(m, n)),
                       motion_cross_motion(x.act_motion(m), x.act_motion(n))),
              1e-14);
    EXPECT_LT(max_diff(x.act_force(motion_cross_force(m, f)),
                       motion_cross_force(x.act_motion(m), x.act_force(f))),
              1e-14);
  }
}

TEST(SkewTest, MatrixIsTheCrossProduct) {
  const Vector3D v(1, -2, 3), u(0.5, 4, -1);
  EXPECT_EQ(skew(v) * u, v.cross(u));
  EXPECT_EQ(skew(v).transpose(), -skew(v));
}

}  // namespace
}  // namespace kinetra
