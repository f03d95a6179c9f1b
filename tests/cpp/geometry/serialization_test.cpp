#include "kinetra/geometry/serialization.hpp"

#include <gtest/gtest.h>

namespace kinetra {
namespace {

GeometryObject object(std::string name, vortan::ShapeWrapper shape) {
  return {std::move(name),
          2,
          5,
          std::move(shape),
          true,
          {0.1, 0.2, 0.3, 0.4},
          SE3{SpatialRotation::Identity(), Vector3D(1, 2, 3)}};
}

TEST(Serialization, GeometryModelRoundTripKeepsEveryShape) {
  GeometryModel model;
  model.add_geometry_object(object("ball", vortan::ShapeWrapper(vortan::Sphere(0.25f))));
  model.add_geometry_object(object("box", vortan::ShapeWrapper(vortan::Cuboid({1, 2, 3}))));
  model.add_geometry_object(object("pill", vortan::ShapeWrapper(vortan::Capsule(0.1f, 0.3f))));
  model.add_geometry_object(object("cone", vortan::ShapeWrapper(vortan::Cone(0.2f, 0.4f))));
  model.add_geometry_object(object("can", vortan::ShapeWrapper(vortan::Cylinder(0.3f, 0.5f))));
  model.add_geometry_object(object("mesh", vortan::ShapeWrapper(vortan::Mesh("a/b.stl"))));
  const std::string bytes = to_bytes(model);
  auto copy = from_bytes<GeometryModel>(bytes);
  ASSERT_TRUE(copy) << copy.error().message;
  EXPECT_EQ(to_bytes(*copy), bytes);
  EXPECT_EQ(copy->objects[5].geometry->get_mesh_path(), "a/b.stl");
  EXPECT_EQ(copy->objects[1].geometry->get_half_extents(), (std::array<float, 3>{1, 2, 3}));
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(from_bytes<GeometryModel>(bytes.substr(0, n))) << n;
  }
}

TEST(Serialization, ConcreteShapeKeepsItsKind) {
  auto cone = from_bytes<vortan::Cone>(to_bytes(vortan::Cone(0.5f, 0.25f)));
  ASSERT_TRUE(cone);
  EXPECT_EQ(cone->half_length, 0.25f);
  EXPECT_FALSE(from_bytes<vortan::Sphere>(to_bytes(vortan::Cone(0.5f, 0.25f))));
}

}  // namespace
}  // namespace kinetra
