#pragma once

#include <concepts>
#include <memory>
#include <utility>

#include "vortan/export.hpp"
#include "vortan/shape.hpp"

namespace vortan {

// Sole owner of one shape; copies clone the shape.
class VORTAN_API ShapeWrapper {
 public:
  // `shape` must not be null.
  explicit ShapeWrapper(std::unique_ptr<Shape> shape) : shape_(std::move(shape)) {}
  // Takes a concrete shape by value: ShapeWrapper(Sphere(0.1f)).
  template <std::derived_from<Shape> S>
  explicit ShapeWrapper(S shape) : shape_(std::make_unique<S>(std::move(shape))) {}

  ShapeWrapper(const ShapeWrapper& other);
  ShapeWrapper& operator=(const ShapeWrapper& other);
  // a moved-from wrapper may only be assigned to or destroyed
  ShapeWrapper(ShapeWrapper&&) noexcept = default;
  ShapeWrapper& operator=(ShapeWrapper&&) noexcept = default;
  ~ShapeWrapper() = default;

  const Shape& get() const { return *shape_; }
  const Shape* operator->() const { return shape_.get(); }

 private:
  std::unique_ptr<Shape> shape_;
};

}  // namespace vortan
