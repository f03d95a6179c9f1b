#include "vortan/cylinder.hpp"

namespace vortan {

std::unique_ptr<Shape> Cylinder::clone_box() const { return std::make_unique<Cylinder>(*this); }

}  // namespace vortan
