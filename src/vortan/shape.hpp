#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "vortan/export.hpp"

namespace vortan {

enum class ShapeType : std::uint8_t {
  Capsule = 0,
  Cone = 1,
  Cuboid = 2,
  Cylinder = 3,
  Sphere = 4,
  Mesh = 5
};

// The name of each kind, indexed by its code.
inline constexpr std::array shape_type_names{"Capsule",  "Cone",   "Cuboid",
                                             "Cylinder", "Sphere", "Mesh"};

// Its name; "Unknown" for a code without a kind.
VORTAN_API const char* to_string(ShapeType type);

// A collision or visual shape; describes dimensions only. Dimensions are metres, 32-bit floats.
// The optional queries answer nothing unless the kind has that dimension.
class VORTAN_API Shape {
 public:
  virtual ~Shape() = default;

  virtual bool is_convex() const = 0;
  // An independent copy of this shape.
  virtual std::unique_ptr<Shape> clone_box() const = 0;
  virtual ShapeType get_shape_type() const = 0;
  virtual std::optional<float> get_radius() const { return std::nullopt; }
  // Half the edge length along each frame axis.
  virtual std::optional<std::array<float, 3>> get_half_extents() const { return std::nullopt; }
  // Half the length along the frame's z axis.
  virtual std::optional<float> get_half_length() const { return std::nullopt; }
  // The mesh file's path (a copy).
  virtual std::optional<std::string> get_mesh_path() const { return std::nullopt; }
  // The factors a mesh file's coordinates are multiplied by, along x, y and z.
  virtual std::optional<std::array<float, 3>> get_mesh_scale() const { return std::nullopt; }

 protected:
  // copies only through clone_box, never by slicing
  Shape() = default;
  Shape(const Shape&) = default;
  Shape& operator=(const Shape&) = default;
};

}  // namespace vortan
