#pragma once

#include "vortan/export.hpp"
#include "vortan/shape.hpp"

namespace vortan {

// A ball centred at the frame origin.
class VORTAN_API Sphere final : public Shape {
 public:
  explicit Sphere(float r) : radius(r) {}

  bool is_convex() const override { return true; }
  std::unique_ptr<Shape> clone_box() const override;
  ShapeType get_shape_type() const override { return ShapeType::Sphere; }
  std::optional<float> get_radius() const override { return radius; }

  float radius;
};

}  // namespace vortan
