#include "kinetra/geometry/geometry_model.hpp"

#include <gtest/gtest.h>

#include "vortan/cuboid.hpp"

namespace kinetra {
namespace {

GeometryObject named(const char* name) {
  return {name,
          0,
          0,
          vortan::ShapeWrapper(vortan::Cuboid({0.5f, 0.5f, 0.5f})),
          false,
          Color{0.0, 0.0, 0.0, 1.0},
          SE3::identity()};
}

TEST(GeometryModel, IdsFollowInsertionAndTheFirstNameWins) {
  GeometryModel model;
  EXPECT_EQ(model.get_geometry_id("x"), std::nullopt);
  EXPECT_EQ(model.add_geometry_object(named("a")), 0u);
  EXPECT_EQ(model.add_geometry_object(named("b")), 1u);
  EXPECT_EQ(model.add_geometry_object(named("a")), 2u);
  EXPECT_EQ(model.get_geometry_id("a"), 0u);
  EXPECT_EQ(model.get_geometry_id("b"), 1u);
  EXPECT_EQ(model.get_geometry_id("A"), std::nullopt);
  EXPECT_EQ(model.get_geometry_id("a "), std::nullopt);
}

TEST(GeometryModelDebug, ListsTheObjects) {
  GeometryModel model;
  EXPECT_EQ(debug_value(model).compact(), "GeometryModel { objects: [] }");
  EXPECT_EQ(debug_value(model).pretty(), "GeometryModel {\n    objects: [],\n}");
  model.add_geometry_object(named("a"));
  EXPECT_EQ(debug_value(model).compact(),
            "GeometryModel { objects: [" + debug_value(model.objects[0]).compact() + "] }");
}

}  // namespace
}  // namespace kinetra
