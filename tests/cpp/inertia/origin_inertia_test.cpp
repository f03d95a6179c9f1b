#include "kinetra/inertia/origin_inertia.hpp"

#include <gtest/gtest.h>

#include "kinetra/spatial/rotation.hpp"

namespace kinetra {
namespace {

template <class A, class B>
double max_diff(const A& a, const B& b) {
  return (a - b).cwiseAbs().maxCoeff();
}

Inertia body(double mass, const Vector3D& com, double roll) {
  Inertia out = Inertia::from_ellipsoid(mass, 0.3, 0.5, 0.7).value();
  out.inertia = out.inertia.rotate(rotation_from_euler_angles(roll, 0.2, -0.4));
  out.com = com;
  return out;
}

TEST(OriginInertiaTest, JoinedBodiesAddTheirParameters) {
  const Inertia a = body(2.0, Vector3D(0.1, -0.3, 0.2), 0.5);
  const Inertia b = body(0.7, Vector3D(-1.0, 0.4, 2.0), -1.3);
  OriginInertia sum(a);
  sum += OriginInertia(b);
  const OriginInertia joined(a + b);
  EXPECT_NEAR(sum.mass, joined.mass, 1e-15);
  EXPECT_LT(max_diff(sum.first_moment, joined.first_moment), 1e-14);
  EXPECT_LT(max_diff(sum.matrix(), joined.matrix()), 1e-13);
}

TEST(OriginInertiaTest, MomentumMatchesTheBodyAndTheMatrix) {
  Rng rng(3);
  for (int k = 0; k < 5; ++k) {
    const Inertia b = body(0.5 + k, Vector3D::Random(), 0.3 * k);
    const OriginInertia about_origin(b);
    const SpatialMotion v = SpatialMotion::Random();
    EXPECT_LT(max_diff(about_origin * v, b * v), 1e-14);
    EXPECT_LT(max_diff(about_origin.matrix() * v, b * v), 1e-14);
    // carried to another frame, the parameters describe the carried body
    const SE3 placement = SE3::random(rng);
    const SpatialTransform x = placement.action();
    EXPECT_LT(max_diff(OriginInertia(b.act(placement)).matrix(),
                       x * about_origin.matrix() * x.transpose()),
              1e-13);
  }
}

}  // namespace
}  // namespace kinetra
