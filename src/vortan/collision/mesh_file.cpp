#include "vortan/collision/mesh_file.hpp"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <limits>

namespace vortan {

std::expected<TriangleMesh, CollisionError> read_mesh_file(const std::string& path,
                                                           const std::array<float, 3>& scale) {
  Assimp::Importer importer;
  // triangles only, shared vertices merged, node transforms applied to the vertices; a scene
  // with indices out of range or other broken structure is refused
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                              aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFile(
      path, aiProcess_ValidateDataStructure | aiProcess_Triangulate |
                aiProcess_JoinIdenticalVertices | aiProcess_SortByPType |
                aiProcess_PreTransformVertices);
  if (!scene) {
    return std::unexpected(
        CollisionError{"cannot read mesh file '" + path + "': " + importer.GetErrorString()});
  }
  TriangleMesh mesh;
  const Eigen::Vector3d factors(scale[0], scale[1], scale[2]);
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh& part = *scene->mMeshes[m];
    if (part.mNumVertices >
        static_cast<std::size_t>(std::numeric_limits<int>::max()) - mesh.vertices.size()) {
      return std::unexpected(CollisionError{"mesh file '" + path + "' holds too many vertices"});
    }
    const int offset = static_cast<int>(mesh.vertices.size());
    for (unsigned v = 0; v < part.mNumVertices; ++v) {
      const aiVector3D& x = part.mVertices[v];
      mesh.vertices.emplace_back(x.x * factors.x(), x.y * factors.y(), x.z * factors.z());
      if (!mesh.vertices.back().allFinite()) {
        return std::unexpected(
            CollisionError{"mesh file '" + path + "' holds a vertex that is not finite"});
      }
    }
    for (unsigned f = 0; f < part.mNumFaces; ++f) {
      const aiFace& face = part.mFaces[f];
      if (face.mNumIndices != 3) continue;
      mesh.triangles.push_back({offset + static_cast<int>(face.mIndices[0]),
                                offset + static_cast<int>(face.mIndices[1]),
                                offset + static_cast<int>(face.mIndices[2])});
    }
  }
  if (mesh.triangles.empty()) {
    return std::unexpected(CollisionError{"mesh file '" + path + "' holds no triangles"});
  }
  return mesh;
}

}  // namespace vortan
