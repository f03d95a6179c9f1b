#include <gtest/gtest.h>

#include <array>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

constexpr std::array kinds = {JacobianKind::Geometric, JacobianKind::Body, JacobianKind::Spatial};
constexpr double step = 1e-5;

// Relative to the larger of 1 and the expected value's size.
void expect_close(const Eigen::MatrixXd& actual, const Eigen::MatrixXd& expected, double tol) {
  EXPECT_LE((actual - expected).norm(), tol * std::max(1.0, expected.norm()))
      << "actual\n"
      << actual << "\nexpected\n"
      << expected;
}

// The state after time t along (q, v, a): q moved by v t + a t^2 / 2, velocity v + a t.
struct Motion {
  const Model& model;
  Configuration q, v, a;

  Configuration q_at(double t) const { return *integrate(model, q, v * t + a * t * t / 2); }
  Configuration v_at(double t) const { return v + a * t; }
};

// Geometric twist of a frame from its placements a step before and after.
SpatialMotion placement_rate(const SE3& before, const SE3& after, const SE3& now) {
  const Eigen::Matrix3d w_hat =
      (after.rotation - before.rotation) / (2 * step) * now.rotation.transpose();
  const Vector3D w(w_hat(2, 1) - w_hat(1, 2), w_hat(0, 2) - w_hat(2, 0), w_hat(1, 0) - w_hat(0, 1));
  return motion_from_parts(w / 2, (after.translation - before.translation) / (2 * step));
}

class FrameMotionTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(FrameMotionTest, AgreesWithFiniteDifferencesAlongTheMotion) {
  Rng rng(GetParam());
  const Model model = testing::random_tree(rng, 8);
  Data data = model.create_data();
  const Motion motion{model, testing::random_q(model, rng), testing::random_v(model, rng),
                      testing::random_v(model, rng)};
  for (std::size_t f = 0; f < model.nframes(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f));
    auto placement_at = [&](double t) {
      EXPECT_TRUE(forward_kinematics(model, data, motion.q_at(t)));
      return *frame_placement(model, data, f);
    };
    const SE3 before = placement_at(-step), after = placement_at(step), now = placement_at(0);
    expect_close(*frame_velocity(model, data, motion.q, motion.v, f, JacobianKind::Geometric),
                 placement_rate(before, after, now), 1e-7);
    for (const JacobianKind kind : kinds) {
      auto jacobian_at = [&](double t) {
        return *frame_jacobian(model, data, motion.q_at(t), f, kind);
      };
      auto velocity_at = [&](double t) {
        return *frame_velocity(model, data, motion.q_at(t), motion.v_at(t), f, kind);
      };
      const Matrix6X jacobian = jacobian_at(0);
      const Matrix6X rate =
          *frame_jacobian_time_variation(model, data, motion.q, motion.v, f, kind);
      const SpatialMotion acceleration =
          *frame_acceleration(model, data, motion.q, motion.v, motion.a, f, kind);
      expect_close(velocity_at(0), jacobian * motion.v, 1e-12);
      expect_close(acceleration, jacobian * motion.a + rate * motion.v, 1e-12);
      expect_close(rate, (jacobian_at(step) - jacobian_at(-step)) / (2 * step), 1e-7);
      expect_close(acceleration, (velocity_at(step) - velocity_at(-step)) / (2 * step), 1e-7);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(RandomTrees, FrameMotionTest, ::testing::Values(1u, 2u, 3u));

TEST(FrameJacobian, KindsAreOneTwistSeenThroughThePlacement) {
  Rng rng(5);
  const Model model = testing::random_tree(rng, 10);
  Data data = model.create_data();
  const Configuration q = testing::random_q(model, rng);
  const std::size_t f = model.nframes() - 1;
  const Matrix6X geometric = *frame_jacobian(model, data, q, f, JacobianKind::Geometric);
  const Matrix6X body = *frame_jacobian(model, data, q, f, JacobianKind::Body);
  const Matrix6X spatial = *frame_jacobian(model, data, q, f, JacobianKind::Spatial);
  const SE3 world_from_frame = *frame_placement(model, data, f);
  // the world-aligned frame at the frame's origin sees the geometric twist
  const SE3 world_from_aligned{SpatialRotation::Identity(), world_from_frame.translation};
  for (Eigen::Index k = 0; k < geometric.cols(); ++k) {
    expect_close(world_from_aligned.act_motion(geometric.col(k)), spatial.col(k), 1e-12);
    expect_close(world_from_frame.act_motion(body.col(k)), spatial.col(k), 1e-12);
  }
}

TEST(FrameJacobian, RefusesBadInputWithoutChangingData) {
  Rng rng(7);
  const Model model = testing::random_tree(rng, 3, false, false);
  Data data = model.create_data();
  const Configuration q = testing::random_q(model, rng), v = testing::random_v(model, rng);
  ASSERT_TRUE(forward_kinematics(model, data, q));
  const SE3 before = data.joint_placements.back();
  const Configuration q2 = testing::random_q(model, rng), longer = Configuration::Zero(4);
  const std::size_t nframes = model.nframes();
  const JacobianKind kind = JacobianKind::Body;
  EXPECT_EQ(frame_jacobian(model, data, q2, nframes, kind).error().display(),
            "frame id 4 is out of range for a model with 4 frames");
  EXPECT_EQ(frame_placement(model, data, 12).error().display(),
            "frame id 12 is out of range for a model with 4 frames");
  EXPECT_EQ(frame_velocity(model, data, q2, longer, 1, kind).error().display(),
            "Parameter 'v' expected configuration size 3, but got 4");
  EXPECT_EQ(frame_acceleration(model, data, q2, v, longer, 1, kind).error().display(),
            "Parameter 'a' expected configuration size 3, but got 4");
  EXPECT_EQ(
      frame_jacobian_time_variation(model, data, longer, v, 1, kind).error().display(),
      "Parameter 'q' expected configuration size " + std::to_string(model.nq()) + ", but got 4");
  EXPECT_TRUE(data.joint_placements.back().translation.isApprox(before.translation));
  Data foreign = Model().create_data();
  EXPECT_EQ(frame_placements(model, foreign).error().display(),
            "Data does not match the model: expected 4 joint data, got 1");
}

}  // namespace
}  // namespace kinetra
