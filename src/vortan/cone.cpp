#include "vortan/cone.hpp"

namespace vortan {

std::unique_ptr<Shape> Cone::clone_box() const { return std::make_unique<Cone>(*this); }

}  // namespace vortan
