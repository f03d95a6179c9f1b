#pragma once

#include <string>
#include <utility>

#include "vortan/export.hpp"
#include "vortan/shape.hpp"

namespace vortan {

// A triangle mesh stored in a file that is named here and never opened.
class VORTAN_API Mesh final : public Shape {
 public:
  explicit Mesh(std::string file_path) : path(std::move(file_path)) {}

  bool is_convex() const override { return false; }
  std::unique_ptr<Shape> clone_box() const override;
  ShapeType get_shape_type() const override { return ShapeType::Mesh; }
  std::optional<std::string> get_mesh_path() const override { return path; }

  std::string path;
};

}  // namespace vortan
