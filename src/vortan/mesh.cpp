#include "vortan/mesh.hpp"

namespace vortan {

std::unique_ptr<Shape> Mesh::clone_box() const { return std::make_unique<Mesh>(*this); }

}  // namespace vortan
