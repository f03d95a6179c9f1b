#pragma once

// Collision queries over many configurations, on the shared thread pool.
#include <cstddef>
#include <cstdint>
#include <expected>

#include "kinetra/geometry/collision_queries.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra::batch {

// For each of the n configurations q (n x nq, row-major): forward kinematics, then whether each
// of the P collision pairs overlaps, out n x P (1 or 0). Shapes are made ready once, before any
// thread starts; a row equals the single-configuration compute_collisions.
std::expected<void, CollisionQueryError> compute_collisions(const Model& model,
                                                            const GeometryModel& geometry,
                                                            std::size_t n, const double* q,
                                                            std::uint8_t* out, std::size_t threads);

// The same with the signed distance of each pair, out n x P.
std::expected<void, CollisionQueryError> compute_distances(const Model& model,
                                                           const GeometryModel& geometry,
                                                           std::size_t n, const double* q,
                                                           double* out, std::size_t threads);

}  // namespace kinetra::batch
