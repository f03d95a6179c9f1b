#pragma once

#include "vortan/export.hpp"
#include "vortan/shape.hpp"

namespace vortan {

// A box centred at the frame origin, edges along the frame axes.
class VORTAN_API Cuboid final : public Shape {
 public:
  // half extents x, y, z
  explicit Cuboid(std::array<float, 3> extents) : half_extents(extents) {}

  bool is_convex() const override { return true; }
  std::unique_ptr<Shape> clone_box() const override;
  ShapeType get_shape_type() const override { return ShapeType::Cuboid; }
  std::optional<std::array<float, 3>> get_half_extents() const override { return half_extents; }

  std::array<float, 3> half_extents;  // x, y, z
};

}  // namespace vortan
