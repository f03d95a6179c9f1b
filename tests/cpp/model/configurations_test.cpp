#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

// World placements of every joint for q.
std::vector<SE3> placements(const Model& model, const Configuration& q) {
  Data data = model.create_data();
  EXPECT_TRUE(forward_kinematics(model, data, q));
  return data.joint_placements;
}

void expect_same_placements(const std::vector<SE3>& a, const std::vector<SE3>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_TRUE(a[i].rotation.isApprox(b[i].rotation, 1e-10)) << "joint " << i;
    EXPECT_TRUE((a[i].translation - b[i].translation).norm() < 1e-10) << "joint " << i;
  }
}

class ConfigurationSpace : public ::testing::TestWithParam<int> {};

// On trees of every kind: difference undoes integrate, integrate lands on the target (up to the
// quaternion sign, so placements are compared), interpolate runs from q0 to q1, and normalize
// keeps the placements.
TEST_P(ConfigurationSpace, IntegrateAndDifferenceAreInverse) {
  Rng rng(static_cast<std::uint64_t>(GetParam()));
  const Model model = testing::random_tree(rng, 4 + static_cast<std::size_t>(GetParam()) % 6);
  const Configuration q0 = testing::random_q(model, rng), q1 = testing::random_q(model, rng);
  // turns below pi, which difference takes the short way
  const Configuration v = 0.5 * testing::random_v(model, rng);
  EXPECT_TRUE(difference(model, q0, *integrate(model, q0, v))->isApprox(v, 1e-10));
  expect_same_placements(placements(model, *integrate(model, q0, *difference(model, q0, q1))),
                         placements(model, q1));
  expect_same_placements(placements(model, *interpolate(model, q0, q1, 0.0)),
                         placements(model, q0));
  expect_same_placements(placements(model, *interpolate(model, q0, q1, 1.0)),
                         placements(model, q1));
  // quaternions and (cos, sin) pairs scaled by 3
  Configuration scaled = q0;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const auto at = static_cast<Eigen::Index>(model.idx_q(i));
    switch (model.joint_models()[i].type()) {
      case JointType::Continuous:
      case JointType::Spherical:
        scaled.segment(at, static_cast<Eigen::Index>(model.joint_models()[i].nq())) *= 3.0;
        break;
      case JointType::Floating:
        scaled.segment(at + 3, 4) *= 3.0;
        break;
      case JointType::Planar:
        scaled.segment(at + 2, 2) *= 3.0;
        break;
      default:
        break;
    }
  }
  const Configuration normalized = *normalize(model, scaled);
  EXPECT_TRUE(normalized.isApprox(q0, 1e-12));
}

INSTANTIATE_TEST_SUITE_P(Seeds, ConfigurationSpace, ::testing::Range(1, 9));

Model floating_base() {
  Model model;
  const auto root = *model.add_joint(0, JointModel::floating(), SE3::identity(), "root");
  (void)*model.add_joint(root, JointModel::spherical(), SE3::identity(), "ball");
  return model;
}

TEST(Configurations, FloatingAndSphericalLayout) {
  const Model model = floating_base();
  EXPECT_EQ(model.nq(), 11u);
  EXPECT_EQ(model.nv(), 9u);
  EXPECT_EQ(*neutral(model), (Configuration{{0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1}}));
  // the linear velocity is in the child frame: a quarter turn about z sends x to y
  Configuration q = *neutral(model);
  q.segment(3, 4) << 0, 0, std::sqrt(0.5), std::sqrt(0.5);
  const Configuration v{{0, 0, 0, 1, 0, 0, 0, 0, 0}};
  EXPECT_TRUE(integrate(model, q, v)->head(3).isApprox(Vector3D(0, 1, 0), 1e-15));
  Rng rng(2);
  for (int i = 0; i < 200; ++i) {
    const Configuration sample = *random_configuration(model, rng);
    EXPECT_TRUE((sample.head(3).array() >= -1).all() && (sample.head(3).array() < 1).all());
    EXPECT_NEAR(sample.segment(3, 4).norm(), 1.0, 1e-15);
    EXPECT_NEAR(sample.tail(4).norm(), 1.0, 1e-15);
  }
}

TEST(Configurations, RandomNamesTheJointWhoseRangeIsEmpty) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [lower, upper] : {std::pair{1.0, -1.0}, std::pair{nan, 1.0}}) {
    Model model;
    JointModel slide = JointModel::prismatic({0, 0, 1});
    slide.limits().min_configuration[0] = lower;
    slide.limits().max_configuration[0] = upper;
    (void)*model.add_joint(0, slide, SE3::identity(), "slide");
    Rng rng(1);
    EXPECT_EQ(random_configuration(model, rng).error().display(),
              "cannot sample empty range of joint 'slide'");
  }
}

// A quaternion that names no rotation is refused by every algorithm, naming the joint, and the
// data keeps its state.
TEST(Configurations, UnreadableQuaternionsAreRefused) {
  const Model model = floating_base();
  Data data = model.create_data();
  const Configuration good = *neutral(model);
  ASSERT_TRUE(forward_kinematics(model, data, good));
  const Configuration v = Configuration::Zero(9);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& [value, norm] : {std::pair{0.0, "0"}, std::pair{nan, "NaN"}}) {
    Configuration q = good;
    q.segment(3, 4).setConstant(value);
    const std::string expected = std::string("joint 'root' has a quaternion of norm ") + norm;
    EXPECT_EQ(forward_kinematics(model, data, q).error().debug(), expected);
    EXPECT_EQ(rnea(model, data, q, v, v).error().display(), expected);
    EXPECT_EQ(aba(model, data, q, v, v).error().display(), expected);
    EXPECT_EQ(crba(model, data, q).error().display(), expected);
    EXPECT_EQ(centroidal_momentum(model, data, q, v).error().display(), expected);
    EXPECT_EQ(integrate(model, q, v).error().display(), expected);
    EXPECT_EQ(difference(model, good, q).error().display(), expected);
    EXPECT_EQ(normalize(model, q).error().display(), expected);
    EXPECT_TRUE(data.joint_placements[1].rotation.isIdentity(0.0));
  }
  // any finite non-zero scale reads as the unit quaternion
  Configuration tiny = good;
  tiny.segment(3, 4) << 1e-300, 0, 0, 1e-300;
  Configuration huge = good;
  huge.segment(3, 4) << 1e300, 0, 0, 1e300;
  expect_same_placements(placements(model, tiny), placements(model, huge));
}

}  // namespace
}  // namespace kinetra
