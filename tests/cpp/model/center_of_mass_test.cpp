#include <gtest/gtest.h>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

TEST(CenterOfMass, JacobianAgreesWithFiniteDifferences) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    Rng rng(seed);
    Model model = testing::random_tree(rng, 9);
    // a body welded to the world weighs in but never moves
    model.inertia(0) = testing::random_inertia(rng);
    Data data = model.create_data();
    const Configuration q = testing::random_q(model, rng), v = testing::random_v(model, rng);
    const double h = 1e-5;
    const Vector3D rate = (*center_of_mass(model, data, *integrate(model, q, v * h)) -
                           *center_of_mass(model, data, *integrate(model, q, -v * h))) /
                          (2 * h);
    const Vector3D jacobian_v = *center_of_mass_jacobian(model, data, q) * v;
    EXPECT_LE((jacobian_v - rate).norm(), 1e-7 * std::max(1.0, rate.norm())) << seed;
  }
}

TEST(CenterOfMass, WeighsEveryBodyAndRefusesAMasslessModel) {
  Model model;
  const auto slider = *model.add_joint(0, JointModel::prismatic({1, 0, 0}), SE3::identity(), "s");
  Data data = model.create_data();
  EXPECT_EQ(center_of_mass(model, data, Configuration::Zero(1)).error().display(),
            "the model has no mass");
  EXPECT_EQ(center_of_mass_jacobian(model, data, Configuration::Zero(1)).error().display(),
            "the model has no mass");
  model.inertia(0) = *Inertia::from_sphere(3.0, 0.1);
  model.inertia(slider) = *Inertia::from_sphere(1.0, 0.1);
  EXPECT_EQ(total_mass(model), 4.0);
  EXPECT_TRUE(
      center_of_mass(model, data, Configuration::Constant(1, 2.0))->isApprox(Vector3D(0.5, 0, 0)));
  EXPECT_TRUE(
      center_of_mass_jacobian(model, data, Configuration::Zero(1))->isApprox(Vector3D(0.25, 0, 0)));
}

}  // namespace
}  // namespace kinetra
