#pragma once

#include <string>
#include <utility>

#include "vortan/export.hpp"
#include "vortan/shape.hpp"

namespace vortan {

// A triangle mesh stored in a file that is named here; the shape library never opens it (the
// collision library reads it).
class VORTAN_API Mesh final : public Shape {
 public:
  explicit Mesh(std::string file_path, std::array<float, 3> factors = {1.0f, 1.0f, 1.0f})
      : path(std::move(file_path)), scale(factors) {}

  bool is_convex() const override { return false; }
  std::unique_ptr<Shape> clone_box() const override;
  ShapeType get_shape_type() const override { return ShapeType::Mesh; }
  std::optional<std::string> get_mesh_path() const override { return path; }
  std::optional<std::array<float, 3>> get_mesh_scale() const override { return scale; }

  std::string path;
  std::array<float, 3> scale;  // x, y, z factors applied to the file's coordinates
};

}  // namespace vortan
