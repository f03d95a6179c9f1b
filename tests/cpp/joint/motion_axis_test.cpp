#include "kinetra/joint/motion_axis.hpp"

#include <gtest/gtest.h>

#include "kinetra/joint/joint_model.hpp"

namespace kinetra {
namespace {

// The half-vector products agree with the full six-vector ones on the joint's axis S.
TEST(MotionAxis, ProductsMatchTheFullAxis) {
  Rng rng(9);
  for (const JointModel& joint :
       {JointModel::revolute({1, -2, 2}), JointModel::continuous({0, 3, 4}),
        JointModel::prismatic({0.5, 0, -2})}) {
    SCOPED_TRACE(to_string(joint.type()));
    const SpatialMotion s = joint.motion_subspace().col(0);
    const SpatialMotion m = SpatialMotion::Random(), v = SpatialMotion::Random();
    const SpatialForce f = SpatialForce::Random();
    const double x = -1.7;
    const SE3 placement = SE3::random(rng);
    joint.visit([&](const auto& kind) {
      if constexpr (requires { kind.motion_axis(); }) {
        const auto axis = kind.motion_axis();
        const auto split = [](const Vector6D& x6) {
          return SplitVector{x6.head<3>(), x6.tail<3>()};
        };
        SplitVector sum = split(m), crossed = split(m);
        axis.add_to(sum, x);
        axis.add_cross(crossed, split(v), x);
        EXPECT_TRUE(sum.joined().isApprox(m + x * s, 1e-15));
        EXPECT_NEAR(axis.dot(split(f)), s.dot(f), 1e-14);
        EXPECT_TRUE(crossed.joined().isApprox(m + motion_cross_motion(v, x * s), 1e-15));
        EXPECT_TRUE(axis.act(placement).isApprox(placement.act_motion(s), 1e-15));
      } else {
        ADD_FAILURE() << "no motion axis";
      }
    });
  }
}

}  // namespace
}  // namespace kinetra
