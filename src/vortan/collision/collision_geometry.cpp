#include "vortan/collision/collision_geometry.hpp"

#include <fcl/geometry/bvh/BVH_model.h>
#include <fcl/geometry/shape/box.h>
#include <fcl/geometry/shape/capsule.h>
#include <fcl/geometry/shape/cone.h>
#include <fcl/geometry/shape/convex.h>
#include <fcl/geometry/shape/cylinder.h>
#include <fcl/geometry/shape/sphere.h>
#include <fcl/math/bv/OBBRSS.h>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <sstream>
#include <tuple>

#include "vortan/collision/mesh_file.hpp"
#include "vortan/mesh.hpp"

namespace vortan {
namespace {

std::string number_text(double x) {
  std::ostringstream text;
  text << x;
  return text.str();
}

// "a cylinder of radius 0.1 and half length 0 (sizes must be positive)", or nothing when every
// size is positive and finite.
std::optional<CollisionError> size_error(const CollisionGeometry& g) {
  const auto bad = [](double x) { return !(x > 0.0 && std::isfinite(x)); };
  std::string name = to_string(g.type);
  for (char& c : name) c = static_cast<char>(std::tolower(c));
  std::string what;
  switch (g.type) {
    case ShapeType::Sphere:
      if (bad(g.radius)) what = "radius " + number_text(g.radius);
      break;
    case ShapeType::Capsule:
    case ShapeType::Cone:
    case ShapeType::Cylinder:
      // a capsule of length 0 is a sphere
      if (bad(g.radius) ||
          (g.type == ShapeType::Capsule ? !(g.half_length >= 0.0 && std::isfinite(g.half_length))
                                        : bad(g.half_length))) {
        what = "radius " + number_text(g.radius) + " and half length " + number_text(g.half_length);
      }
      break;
    case ShapeType::Cuboid:
      if (bad(g.half_extents.x()) || bad(g.half_extents.y()) || bad(g.half_extents.z())) {
        what = "half extents (" + number_text(g.half_extents.x()) + ", " +
               number_text(g.half_extents.y()) + ", " + number_text(g.half_extents.z()) + ")";
      }
      break;
    case ShapeType::Mesh:
      for (float s : g.mesh_scale) {
        if (s == 0.0f || !std::isfinite(s)) {
          what = "scale (" + number_text(g.mesh_scale[0]) + ", " + number_text(g.mesh_scale[1]) +
                 ", " + number_text(g.mesh_scale[2]) + ")";
        }
      }
      if (!what.empty()) {
        return CollisionError{"a mesh of " + what + " (scale factors must be finite and not 0)"};
      }
      return std::nullopt;
  }
  if (what.empty()) return std::nullopt;
  return CollisionError{"a " + name + " of " + what + " (sizes must be positive)"};
}

// The dimensions of `shape`, without its solid.
CollisionGeometry dimensions(const Shape& shape, bool hull) {
  CollisionGeometry g;
  g.type = shape.get_shape_type();
  if (auto r = shape.get_radius()) g.radius = *r;
  if (auto h = shape.get_half_length()) g.half_length = *h;
  if (auto e = shape.get_half_extents()) g.half_extents = {(*e)[0], (*e)[1], (*e)[2]};
  if (auto p = shape.get_mesh_path()) g.mesh_path = *std::move(p);
  if (auto s = shape.get_mesh_scale()) g.mesh_scale = *s;
  g.convex_hull = g.type == ShapeType::Mesh && hull;
  return g;
}

using Solid = std::expected<std::shared_ptr<fcl::CollisionGeometry<double>>, CollisionError>;

Solid primitive_solid(const CollisionGeometry& g) {
  switch (g.type) {
    case ShapeType::Sphere:
      return std::make_shared<fcl::Sphered>(g.radius);
    case ShapeType::Cuboid:
      return std::make_shared<fcl::Boxd>(2.0 * g.half_extents);
    case ShapeType::Capsule:
      return std::make_shared<fcl::Capsuled>(g.radius, 2.0 * g.half_length);
    case ShapeType::Cone:
      return std::make_shared<fcl::Coned>(g.radius, 2.0 * g.half_length);
    case ShapeType::Cylinder:
      return std::make_shared<fcl::Cylinderd>(g.radius, 2.0 * g.half_length);
    case ShapeType::Mesh:
      break;
  }
  return std::unexpected(CollisionError{"not a primitive shape"});
}

Solid mesh_solid(const CollisionGeometry& g) {
  auto mesh = read_mesh_file(g.mesh_path, g.mesh_scale);
  if (!mesh) return std::unexpected(std::move(mesh.error()));
  if (g.convex_hull) {
    // the support function of the vertices is that of their hull: no faces needed
    auto vertices = std::make_shared<const std::vector<Eigen::Vector3d>>(std::move(mesh->vertices));
    return std::make_shared<fcl::Convexd>(vertices, 0, std::make_shared<const std::vector<int>>());
  }
  auto model = std::make_shared<fcl::BVHModel<fcl::OBBRSSd>>();
  std::vector<fcl::Triangle> triangles;
  triangles.reserve(mesh->triangles.size());
  for (const auto& t : mesh->triangles) triangles.emplace_back(t[0], t[1], t[2]);
  model->beginModel();
  model->addSubModel(mesh->vertices, triangles);
  model->endModel();
  return model;
}

// Meshes made so far, by path, scale and hull setting; alive while some geometry uses them.
using MeshKey = std::tuple<std::string, std::array<float, 3>, bool>;
std::mutex mesh_cache_mutex;
std::map<MeshKey, std::weak_ptr<const CollisionGeometry>> mesh_cache;

}  // namespace

bool CollisionGeometry::matches(const Shape& shape, bool hull) const {
  if (shape.get_shape_type() != type) return false;
  if (const auto* mesh = dynamic_cast<const Mesh*>(&shape)) {
    return mesh->path == mesh_path && mesh->scale == mesh_scale && hull == convex_hull;
  }
  const auto e = shape.get_half_extents();
  return shape.get_radius().value_or(0.0f) == radius &&
         shape.get_half_length().value_or(0.0f) == half_length &&
         (!e || Eigen::Vector3d((*e)[0], (*e)[1], (*e)[2]) == half_extents);
}

std::expected<std::shared_ptr<const CollisionGeometry>, CollisionError> make_collision_geometry(
    const Shape& shape, bool hull) {
  auto g = std::make_shared<CollisionGeometry>(dimensions(shape, hull));
  if (auto error = size_error(*g)) return std::unexpected(*std::move(error));
  std::unique_lock<std::mutex> lock;
  MeshKey key;
  if (g->type == ShapeType::Mesh) {
    key = {g->mesh_path, g->mesh_scale, g->convex_hull};
    lock = std::unique_lock(mesh_cache_mutex);
    if (auto cached = mesh_cache[key].lock()) return cached;
  }
  auto solid = g->type == ShapeType::Mesh ? mesh_solid(*g) : primitive_solid(*g);
  if (!solid) return std::unexpected(std::move(solid.error()));
  (*solid)->computeLocalAABB();
  const auto& box = (*solid)->aabb_local;
  g->local_box_center = box.center();
  g->local_box_half_sizes = 0.5 * (box.max_ - box.min_);
  g->solid = *std::move(solid);
  if (lock) mesh_cache[key] = g;
  return g;
}

}  // namespace vortan
