#include "vortan/shape_wrapper.hpp"

namespace vortan {

ShapeWrapper::ShapeWrapper(const ShapeWrapper& other)
    : shape_(other.shape_ ? other.shape_->clone_box() : nullptr) {}

ShapeWrapper& ShapeWrapper::operator=(const ShapeWrapper& other) {
  if (this != &other) shape_ = other.shape_ ? other.shape_->clone_box() : nullptr;
  return *this;
}

}  // namespace vortan
