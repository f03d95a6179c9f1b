#pragma once

// Distances and collisions of a geometry model's pairs at the placements of a GeometryData.
#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "kinetra/geometry/collision_workspace.hpp"
#include "kinetra/geometry/geometry_data.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "vortan/collision/distance.hpp"

namespace kinetra {

// A query that cannot be answered: an object with a size that is not positive, an unreadable
// mesh file, a placement that is not finite, or a solver failure. Nothing is computed. A batch
// of queries may also stop on its caller's request (`interrupted`).
struct CollisionQueryError {
  std::string message;  // "geometry object 'arm_0': a sphere of radius 0 (sizes must be positive)"
  bool interrupted = false;

  CollisionQueryError(std::string text) : message(std::move(text)) {}
  CollisionQueryError(InterruptedError stop) : message(stop.display()), interrupted(true) {}
};

// Makes each paired object's shape ready (reading meshes on first use, checking sizes) and
// indexes the pairs.
std::expected<void, CollisionQueryError> prepare_collision_shapes(const GeometryModel& model,
                                                                  CollisionWorkspace& workspace);
// Takes the placements of `data`, checked finite. prepare_collision_shapes first.
std::expected<void, CollisionQueryError> place_collision_shapes(const GeometryModel& model,
                                                                const GeometryData& data,
                                                                CollisionWorkspace& workspace);
// Both.
std::expected<void, CollisionQueryError> prepare_collisions(const GeometryModel& model,
                                                            const GeometryData& data,
                                                            CollisionWorkspace& workspace);

// The signed distance of every pair, in the order of model.collision_pairs.
// prepare_collisions first.
std::expected<void, CollisionQueryError> compute_distances(const GeometryModel& model,
                                                           CollisionWorkspace& workspace,
                                                           std::span<vortan::DistanceResult> out);

// Whether each pair overlaps (1) or not (0). Broad phase: a sweep of the objects' world-aligned
// boxes along x; only pairs whose boxes overlap reach the exact test, in pair order. With
// `stop_at_first`, returns after the first overlapping pair, leaving the later ones 0.
// prepare_collisions first.
std::expected<void, CollisionQueryError> compute_collisions(const GeometryModel& model,
                                                            CollisionWorkspace& workspace,
                                                            bool stop_at_first,
                                                            std::span<std::uint8_t> out);

}  // namespace kinetra
