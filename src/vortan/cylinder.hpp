#pragma once

#include "vortan/shape.hpp"

namespace vortan {

// A cylinder with its axis along the frame's z axis, centred at the frame origin.
class Cylinder final : public Shape {
 public:
  // radius r, half length h (half the full length)
  Cylinder(float r, float h) : radius(r), half_length(h) {}

  bool is_convex() const override { return true; }
  std::unique_ptr<Shape> clone_box() const override;
  ShapeType get_shape_type() const override { return ShapeType::Cylinder; }
  std::optional<float> get_radius() const override { return radius; }
  std::optional<float> get_half_length() const override { return half_length; }

  float radius;
  float half_length;
};

}  // namespace vortan
