#include "vortan/capsule.hpp"

namespace vortan {

std::unique_ptr<Shape> Capsule::clone_box() const { return std::make_unique<Capsule>(*this); }

}  // namespace vortan
