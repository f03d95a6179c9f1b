#include "kinetra/geometry/geometry_data.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "vortan/sphere.hpp"

namespace kinetra {
namespace {

GeometryObject on_joint(std::size_t joint, const SE3& placement) {
  return {"object", joint,
          0,        vortan::ShapeWrapper(vortan::Sphere(0.1f)),
          false,    Color{0.0, 0.0, 0.0, 1.0},
          placement};
}

void expect_same(const SE3& actual, const SE3& expected) {
  EXPECT_TRUE(actual.rotation.isApprox(expected.rotation, 1e-12));
  EXPECT_TRUE(actual.translation.isApprox(expected.translation, 1e-12));
}

class GeometryDataTest : public testing::Test {
 protected:
  void SetUp() override {
    Rng rng(7);
    for (int i = 0; i < 3; ++i) joints.push_back(SE3::random(rng));
    for (std::size_t joint : {2u, 0u, 2u, 1u}) {
      model.add_geometry_object(on_joint(joint, SE3::random(rng)));
    }
  }

  std::vector<SE3> joints;  // world_from_joint
  GeometryModel model;
};

TEST_F(GeometryDataTest, PlacesEachObjectOnItsJoint) {
  const auto data = GeometryData::create(joints, model);
  ASSERT_TRUE(data.has_value());
  ASSERT_EQ(data->object_placements.size(), model.objects.size());
  for (std::size_t i = 0; i < model.objects.size(); ++i) {
    const GeometryObject& object = model.objects[i];
    expect_same(data->object_placements[i], joints[object.parent_joint] * object.placement);
  }
}

TEST_F(GeometryDataTest, UpdateFollowsMovedJoints) {
  auto data = GeometryData::create(joints, model);
  ASSERT_TRUE(data.has_value());
  const std::vector<SE3> before = data->object_placements;
  Rng rng(11);
  joints[2] = SE3::random(rng);
  ASSERT_TRUE(data->update(joints, model).has_value());
  expect_same(data->object_placements[0], joints[2] * model.objects[0].placement);
  expect_same(data->object_placements[1], before[1]);
  expect_same(data->object_placements[3], before[3]);
}

TEST_F(GeometryDataTest, UpdateMatchesTheModelsCurrentLength) {
  auto data = GeometryData::create(joints, model);
  ASSERT_TRUE(data.has_value());
  EXPECT_TRUE(data->update(joints, GeometryModel{}).has_value());
  EXPECT_TRUE(data->object_placements.empty());
}

TEST_F(GeometryDataTest, JointOutOfRangeIsRefusedBeforeAnythingChanges) {
  auto data = GeometryData::create(joints, model);
  ASSERT_TRUE(data.has_value());
  const std::vector<SE3> before = data->object_placements;

  GeometryModel bad = model;
  bad.objects[2].parent_joint = 7;
  const auto updated = data->update(joints, bad);
  ASSERT_FALSE(updated.has_value());
  EXPECT_EQ(updated.error().display(),
            "Geometry object 2 is attached to joint 7, but the data holds 3 joint placements");
  ASSERT_EQ(data->object_placements.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    expect_same(data->object_placements[i], before[i]);
  }

  // the joint count itself is already out of range
  bad.objects[2].parent_joint = 3;
  const auto created = GeometryData::create(joints, bad);
  ASSERT_FALSE(created.has_value());
  EXPECT_EQ(created.error().display(),
            "Geometry object 2 is attached to joint 3, but the data holds 3 joint placements");
}

}  // namespace
}  // namespace kinetra
