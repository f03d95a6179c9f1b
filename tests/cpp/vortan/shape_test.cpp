#include "vortan/shape.hpp"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vortan/capsule.hpp"
#include "vortan/cone.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace vortan {
namespace {

struct ShapeCase {
  const char* label;
  std::function<std::unique_ptr<Shape>()> make;
  bool convex;
  ShapeType type;
  std::optional<float> radius;
  std::optional<std::array<float, 3>> half_extents;
  std::optional<float> half_length;
  std::optional<std::string> mesh_path;
};

class ShapeAnswers : public testing::TestWithParam<ShapeCase> {};

void expect_answers(const Shape& shape, const ShapeCase& c) {
  EXPECT_EQ(shape.is_convex(), c.convex);
  EXPECT_EQ(shape.get_shape_type(), c.type);
  EXPECT_EQ(shape.get_radius(), c.radius);
  EXPECT_EQ(shape.get_half_extents(), c.half_extents);
  EXPECT_EQ(shape.get_half_length(), c.half_length);
  EXPECT_EQ(shape.get_mesh_path(), c.mesh_path);
}

TEST_P(ShapeAnswers, AnswerOnlyTheirOwnDimensions) {
  const ShapeCase& c = GetParam();
  expect_answers(*c.make(), c);
}

TEST_P(ShapeAnswers, CloneAnswersTheSame) {
  const ShapeCase& c = GetParam();
  const std::unique_ptr<Shape> shape = c.make();
  const std::unique_ptr<Shape> copy = shape->clone_box();
  ASSERT_NE(copy.get(), shape.get());
  expect_answers(*copy, c);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ShapeAnswers,
    testing::Values(ShapeCase{"Sphere", [] { return std::make_unique<Sphere>(0.5f); }, true,
                              ShapeType::Sphere, 0.5f, std::nullopt, std::nullopt, std::nullopt},
                    ShapeCase{"Cuboid",
                              [] {
                                return std::make_unique<Cuboid>(std::array{0.5f, 1.0f, 1.5f});
                              },
                              true, ShapeType::Cuboid, std::nullopt, std::array{0.5f, 1.0f, 1.5f},
                              std::nullopt, std::nullopt},
                    ShapeCase{"Capsule", [] { return std::make_unique<Capsule>(0.25f, 2.0f); },
                              true, ShapeType::Capsule, 0.25f, std::nullopt, 2.0f, std::nullopt},
                    ShapeCase{"Cone", [] { return std::make_unique<Cone>(-1.0f, 0.0f); }, true,
                              ShapeType::Cone, -1.0f, std::nullopt, 0.0f, std::nullopt},
                    ShapeCase{"Cylinder", [] { return std::make_unique<Cylinder>(0.1f, 0.25f); },
                              true, ShapeType::Cylinder, 0.1f, std::nullopt, 0.25f, std::nullopt},
                    ShapeCase{"Mesh", [] { return std::make_unique<Mesh>("/meshes/arm link.stl"); },
                              false, ShapeType::Mesh, std::nullopt, std::nullopt, std::nullopt,
                              "/meshes/arm link.stl"}),
    [](const testing::TestParamInfo<ShapeCase>& p) { return std::string(p.param.label); });

TEST(ShapeType, CodesAndNames) {
  const std::array<std::pair<ShapeType, const char*>, 6> kinds{{{ShapeType::Capsule, "Capsule"},
                                                                {ShapeType::Cone, "Cone"},
                                                                {ShapeType::Cuboid, "Cuboid"},
                                                                {ShapeType::Cylinder, "Cylinder"},
                                                                {ShapeType::Sphere, "Sphere"},
                                                                {ShapeType::Mesh, "Mesh"}}};
  for (std::size_t code = 0; code < kinds.size(); ++code) {
    EXPECT_EQ(static_cast<std::size_t>(kinds[code].first), code);
    EXPECT_STREQ(to_string(kinds[code].first), kinds[code].second);
  }
}

TEST(ShapeStorage, HoldsTheNearestSingleFloat) {
  const Cylinder cylinder(0.1f, 0.1f);
  EXPECT_EQ(static_cast<double>(*cylinder.get_radius()), 0.10000000149011612);
  EXPECT_EQ(static_cast<double>(*cylinder.get_half_length()), 0.10000000149011612);
  const Cuboid cuboid({0.1f, 0.2f, 0.3f});
  EXPECT_EQ(static_cast<double>((*cuboid.get_half_extents())[1]), 0.20000000298023224);
}

TEST(ShapeClone, IsIndependentOfTheOriginal) {
  Cuboid cuboid({1.0f, 2.0f, 3.0f});
  const std::unique_ptr<Shape> copy = cuboid.clone_box();
  cuboid.half_extents = {4.0f, 5.0f, 6.0f};
  EXPECT_EQ(copy->get_half_extents(), (std::array{1.0f, 2.0f, 3.0f}));

  Mesh mesh("a.stl");
  const std::unique_ptr<Shape> mesh_copy = mesh.clone_box();
  mesh.path = "b.stl";
  EXPECT_EQ(mesh_copy->get_mesh_path(), "a.stl");
}

}  // namespace
}  // namespace vortan
