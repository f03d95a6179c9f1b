#include "vortan/shape_wrapper.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace vortan {
namespace {

TEST(ShapeWrapper, CopiesCloneTheShape) {
  const ShapeWrapper original(Sphere(0.5f));
  const ShapeWrapper copy = original;
  EXPECT_NE(&copy.get(), &original.get());
  EXPECT_EQ(copy->get_radius(), 0.5f);

  ShapeWrapper assigned(std::make_unique<Mesh>("x.dae"));
  assigned = original;
  EXPECT_NE(&assigned.get(), &original.get());
  EXPECT_EQ(assigned->get_shape_type(), ShapeType::Sphere);
}

}  // namespace
}  // namespace vortan
