#pragma once

#include "vortan/shape.hpp"

namespace vortan {

// A shape round about the frame's z axis and centred at its origin, given by a radius and a half
// length: a capsule, a cone or a cylinder.
template <ShapeType Kind>
requires(Kind == ShapeType::Capsule || Kind == ShapeType::Cone ||
         Kind == ShapeType::Cylinder) class RoundShape final : public Shape {
 public:
  // radius r, half length h (half the full length)
  RoundShape(float r, float h) : radius(r), half_length(h) {}

  bool is_convex() const override { return true; }
  std::unique_ptr<Shape> clone_box() const override { return std::make_unique<RoundShape>(*this); }
  ShapeType get_shape_type() const override { return Kind; }
  std::optional<float> get_radius() const override { return radius; }
  std::optional<float> get_half_length() const override { return half_length; }

  float radius;
  float half_length;
};

}  // namespace vortan
