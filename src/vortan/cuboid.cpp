#include "vortan/cuboid.hpp"

namespace vortan {

std::unique_ptr<Shape> Cuboid::clone_box() const { return std::make_unique<Cuboid>(*this); }

}  // namespace vortan
