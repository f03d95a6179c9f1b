#include "kinetra/inertia/inertia.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {
namespace {

template <class A, class B>
double max_diff(const A& a, const B& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

Inertia point_mass(double mass, const Vector3D& com) { return {mass, com, Symmetric3::zero()}; }

// A body with a full rotational inertia, off its frame origin.
Inertia sample_body(double mass, const Vector3D& com, double roll) {
  Inertia body = Inertia::from_ellipsoid(mass, 0.3, 0.5, 0.7).value();
  body.inertia = body.inertia.rotate(rotation_from_euler_angles(roll, 0.2, -0.4));
  body.com = com;
  return body;
}

TEST(InertiaTest, SphereIsDiagonalTwoFifthsMassRadiusSquared) {
  const Inertia s = Inertia::from_sphere(2.0, 0.5).value();
  EXPECT_EQ(s.mass, 2.0);
  EXPECT_EQ(s.com, Vector3D::Zero());
  EXPECT_EQ(s.inertia.data, (std::array<double, 6>{0.2, 0.2, 0.2, 0, 0, 0}));
  EXPECT_EQ(debug_value(s).compact(),
            "Inertia { mass: 2.0, com: Vector3D([[0.0, 0.0, 0.0]]), "
            "inertia: Symmetric3 { data: [0.2, 0.2, 0.2, 0.0, 0.0, 0.0] } }");
}

TEST(InertiaTest, EllipsoidUsesTheOtherTwoSemiAxes) {
  const Inertia e = Inertia::from_ellipsoid(5.0, 1.0, 2.0, 3.0).value();
  EXPECT_EQ(e.inertia.data, (std::array<double, 6>{13, 10, 5, 0, 0, 0}));
}

struct EllipsoidErrorCase {
  double mass, x, y, z;
  const char* parameter;
};

class EllipsoidErrorTest : public testing::TestWithParam<EllipsoidErrorCase> {};

TEST_P(EllipsoidErrorTest, FirstBadParameterWins) {
  const auto& c = GetParam();
  const auto result = Inertia::from_ellipsoid(c.mass, c.x, c.y, c.z);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().parameter, c.parameter);
}

INSTANTIATE_TEST_SUITE_P(Parameters, EllipsoidErrorTest,
                         testing::Values(EllipsoidErrorCase{0, 1, 1, 1, "mass"},
                                         EllipsoidErrorCase{-1, -1, -1, -1, "mass"},
                                         EllipsoidErrorCase{1, 0, -1, -1, "x"},
                                         EllipsoidErrorCase{1, 1, -0.0, 0, "y"},
                                         EllipsoidErrorCase{1, 1, 1, -1e-300, "z"}));

TEST(EllipsoidErrorTest, SphereChecksRadiusAsFirstSemiAxis) {
  EXPECT_EQ(Inertia::from_sphere(0.0, 1.0).error().parameter, "mass");
  const InertiaError err = Inertia::from_sphere(1.0, -1.0).error();
  EXPECT_EQ(err.display(), "Invalid parameter: 'x' must be positive.");
  EXPECT_EQ(err.debug(), "InertiaError: Invalid parameter: 'x' must be positive.");
}

TEST(EllipsoidErrorTest, NaNIsRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Inertia::from_ellipsoid(nan, 1, 1, 1).error().parameter, "mass");
  EXPECT_EQ(Inertia::from_sphere(1, nan).error().parameter, "x");
}

TEST(InertiaSumTest, TwoPointMassesGainParallelAxisTerms) {
  const Inertia sum = point_mass(1, Vector3D(1, 0, 0)) + point_mass(1, Vector3D(-1, 0, 0));
  EXPECT_EQ(sum.mass, 2.0);
  EXPECT_EQ(sum.com, Vector3D::Zero());
  EXPECT_EQ(sum.inertia.data, (std::array<double, 6>{0, 2, 2, 0, 0, 0}));
}

TEST(InertiaSumTest, ZeroInertiaIsNeutral) {
  const Inertia zero = Inertia::zeros() + Inertia::zeros();
  EXPECT_EQ(zero.mass, 0.0);
  EXPECT_EQ(zero.com, Vector3D::Zero());
  EXPECT_EQ(zero.inertia.data, Symmetric3::zero().data);
  const Inertia body = sample_body(2.0, Vector3D(0.1, -0.3, 0.2), 0.5);
  const Inertia sum = body + Inertia::zeros();
  EXPECT_EQ(sum.mass, body.mass);
  EXPECT_LT(max_diff(sum.com, body.com), 1e-16);
  EXPECT_EQ(sum.inertia.data, body.inertia.data);
}

TEST(InertiaSumTest, SpatialMatricesAdd) {
  const Inertia a = sample_body(2.0, Vector3D(0.1, -0.3, 0.2), 0.5);
  const Inertia b = sample_body(0.7, Vector3D(-1.0, 0.4, 2.0), -1.3);
  const Inertia sum = a + b;
  EXPECT_LT(max_diff(sum.matrix(), a.matrix() + b.matrix()), 1e-14);
  EXPECT_LT(max_diff((b + a).matrix(), sum.matrix()), 1e-14);
  Inertia acc = a;
  acc += b;
  EXPECT_EQ(acc.mass, sum.mass);
  EXPECT_EQ(acc.com, sum.com);
  EXPECT_EQ(acc.inertia.data, sum.inertia.data);
}

TEST(InertiaActTest, IdentityAndPureTranslation) {
  const Inertia body = sample_body(2.0, Vector3D(0.1, -0.3, 0.2), 0.5);
  const Inertia same = body.act(SE3::identity());
  EXPECT_EQ(same.mass, body.mass);
  EXPECT_EQ(same.com, body.com);
  EXPECT_EQ(same.inertia.data, body.inertia.data);
  SE3 shift;
  shift.translation = Vector3D(1, 2, 3);
  const Inertia moved = body.act(shift);
  EXPECT_EQ(moved.com, body.com + shift.translation);
  EXPECT_EQ(moved.inertia.data, body.inertia.data);
}

class InertiaMotionTest : public testing::TestWithParam<int> {
 protected:
  Inertia body = sample_body(0.5 + GetParam(), Vector3D::Random(), 0.3 * GetParam());
  SpatialMotion v = SpatialMotion::Random();
};

TEST_P(InertiaMotionTest, MatrixAgreesWithProduct) {
  EXPECT_LT(max_diff(body.matrix() * v, body * v), 1e-14);
  EXPECT_LT(max_diff(body.matrix(), body.matrix().transpose()), 1e-15);
}

TEST_P(InertiaMotionTest, MomentumRateIsInertiaTimesAccelerationPlusBias) {
  const SpatialMotion a = SpatialMotion::Random();
  const SpatialTransform m = body.matrix();
  const SpatialForce rate =
      body.momentum_rate({v.head<3>(), v.tail<3>()}, {a.head<3>(), a.tail<3>()}).joined();
  EXPECT_LT(max_diff(rate, m * a + motion_cross_force(v, m * v)), 1e-13);
}

TEST_P(InertiaMotionTest, KineticEnergyIsPositive) { EXPECT_GT(v.dot(body * v), 0.0); }

TEST_P(InertiaMotionTest, ActTransportsMomentum) {
  Rng rng(static_cast<Rng::result_type>(GetParam()));
  const SE3 placement = SE3::random(rng);
  // momentum computed in the other frame equals the body-frame momentum carried over
  const SpatialForce h = body.act(placement) * v;
  const SpatialForce expected = placement.act_force(body * placement.act_motion_inverse(v));
  EXPECT_LT(max_diff(h, expected), 1e-13);
}

INSTANTIATE_TEST_SUITE_P(Bodies, InertiaMotionTest, testing::Range(0, 6));

TEST(InertiaMotionTest, SpinningPointMass) {
  // mass 2 at (1, 0, 0) spinning about z moves along y
  const SpatialForce h =
      point_mass(2, Vector3D(1, 0, 0)) * motion_from_rotational_axis(Vector3D::UnitZ());
  EXPECT_EQ(h, motion_from_parts(Vector3D(0, 0, 2), Vector3D(0, 2, 0)));
}

}  // namespace
}  // namespace kinetra
