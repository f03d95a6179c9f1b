#pragma once

#include <Eigen/Core>
#include <array>
#include <expected>
#include <string>
#include <vector>

#include "vortan/collision/collision_geometry.hpp"

namespace vortan {

// The triangles of a mesh file, every node's transform applied, coordinates scaled.
struct TriangleMesh {
  std::vector<Eigen::Vector3d> vertices;
  std::vector<std::array<int, 3>> triangles;  // vertex indices
};

// Reads `path` (any format the importer knows: STL, OBJ, DAE, ...). Fails naming the file when it
// cannot be read or is malformed, or holds no triangles or a vertex that is not finite.
std::expected<TriangleMesh, CollisionError> read_mesh_file(const std::string& path,
                                                           const std::array<float, 3>& scale);

}  // namespace vortan
