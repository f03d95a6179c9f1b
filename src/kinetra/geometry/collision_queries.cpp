#include "kinetra/geometry/collision_queries.hpp"

#include <algorithm>

namespace kinetra {
namespace {

CollisionQueryError object_error(const GeometryObject& object, const std::string& message) {
  return {"geometry object '" + object.name + "': " + message};
}

// pair_index for the model's pairs, remade when they change
void index_pairs(const GeometryModel& model, CollisionWorkspace& w) {
  const std::size_t n = model.objects.size();
  if (w.pairs == model.collision_pairs && w.pair_index.size() == n * n) return;
  w.pairs = model.collision_pairs;
  w.pair_index.assign(n * n, -1);
  w.used.clear();
  std::vector<bool> in_pair(n, false);
  for (std::size_t k = 0; k < w.pairs.size(); ++k) {
    const auto [i, j] = w.pairs[k];
    w.pair_index[i * n + j] = w.pair_index[j * n + i] = static_cast<std::int32_t>(k);
    in_pair[i] = in_pair[j] = true;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (in_pair[i]) w.used.push_back(i);
  }
}

}  // namespace

std::expected<void, CollisionQueryError> prepare_collision_shapes(const GeometryModel& model,
                                                                  CollisionWorkspace& w) {
  const std::size_t n = model.objects.size();
  for (const auto& [i, j] : model.collision_pairs) {
    if (i >= n || j >= n || i == j) {
      return std::unexpected(CollisionQueryError{
          "collision pair (" + std::to_string(i) + ", " + std::to_string(j) +
          ") does not name two objects of a model with " + std::to_string(n) + " objects"});
    }
  }
  index_pairs(model, w);
  w.shapes.resize(n);
  w.placements.resize(n);
  w.boxes.resize(n);
  for (std::size_t i : w.used) {
    const GeometryObject& object = model.objects[i];
    auto& shape = w.shapes[i];
    if (!shape || !shape->matches(object.geometry.get(), model.convex_hulls)) {
      auto made = vortan::make_collision_geometry(object.geometry.get(), model.convex_hulls);
      if (!made) return std::unexpected(object_error(object, made.error().message));
      shape = *std::move(made);
    }
  }
  return {};
}

std::expected<void, CollisionQueryError> place_collision_shapes(const GeometryModel& model,
                                                                const GeometryData& data,
                                                                CollisionWorkspace& w) {
  const std::size_t n = model.objects.size();
  if (data.object_placements.size() != n) {
    return std::unexpected(CollisionQueryError{
        "the geometry data holds " + std::to_string(data.object_placements.size()) +
        " placements for a model with " + std::to_string(n) + " objects"});
  }
  for (std::size_t i : w.used) {
    const SE3& placement = data.object_placements[i];
    if (!placement.rotation.allFinite() || !placement.translation.allFinite()) {
      return std::unexpected(object_error(model.objects[i], "its placement is not finite"));
    }
    w.placements[i] = {placement.rotation, placement.translation};
  }
  return {};
}

std::expected<void, CollisionQueryError> prepare_collisions(const GeometryModel& model,
                                                            const GeometryData& data,
                                                            CollisionWorkspace& w) {
  if (auto shapes = prepare_collision_shapes(model, w); !shapes) return shapes;
  return place_collision_shapes(model, data, w);
}

std::expected<void, CollisionQueryError> compute_distances(const GeometryModel& model,
                                                           CollisionWorkspace& w,
                                                           std::span<vortan::DistanceResult> out) {
  for (std::size_t k = 0; k < w.pairs.size(); ++k) {
    const auto [i, j] = w.pairs[k];
    auto result = vortan::distance(*w.shapes[i], w.placements[i], *w.shapes[j], w.placements[j]);
    if (!result) {
      return std::unexpected(CollisionQueryError{"objects '" + model.objects[i].name + "' and '" +
                                                 model.objects[j].name +
                                                 "': " + result.error().message});
    }
    out[k] = *result;
  }
  return {};
}

std::expected<void, CollisionQueryError> compute_collisions(const GeometryModel& model,
                                                            CollisionWorkspace& w,
                                                            bool stop_at_first,
                                                            std::span<std::uint8_t> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  for (std::size_t i : w.used) w.boxes[i] = vortan::world_box(*w.shapes[i], w.placements[i]);
  // sweep along x
  std::sort(w.used.begin(), w.used.end(), [&](std::size_t a, std::size_t b) {
    return w.boxes[a].lower.x() < w.boxes[b].lower.x();
  });
  const std::size_t n = model.objects.size();
  w.candidates.clear();
  for (std::size_t a = 0; a < w.used.size(); ++a) {
    const vortan::WorldBox& box = w.boxes[w.used[a]];
    for (std::size_t b = a + 1; b < w.used.size(); ++b) {
      const vortan::WorldBox& other = w.boxes[w.used[b]];
      if (other.lower.x() > box.upper.x()) break;
      const std::int32_t k = w.pair_index[w.used[a] * n + w.used[b]];
      if (k >= 0 && box.overlaps(other)) w.candidates.push_back(static_cast<std::size_t>(k));
    }
  }
  std::sort(w.candidates.begin(), w.candidates.end());
  for (std::size_t k : w.candidates) {
    const auto [i, j] = w.pairs[k];
    auto hit = vortan::in_collision(*w.shapes[i], w.placements[i], *w.shapes[j], w.placements[j]);
    if (!hit) {
      return std::unexpected(CollisionQueryError{"objects '" + model.objects[i].name + "' and '" +
                                                 model.objects[j].name +
                                                 "': " + hit.error().message});
    }
    out[k] = *hit ? 1 : 0;
    if (*hit && stop_at_first) break;
  }
  return {};
}

}  // namespace kinetra
