#include "vortan/sphere.hpp"

namespace vortan {

std::unique_ptr<Shape> Sphere::clone_box() const { return std::make_unique<Sphere>(*this); }

}  // namespace vortan
