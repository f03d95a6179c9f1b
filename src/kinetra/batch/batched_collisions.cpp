#include "kinetra/batch/batched_collisions.hpp"

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/model/algorithms.hpp"

namespace kinetra::batch {
namespace {

// Each thread's geometry placements and workspace, copied from the call's prepared workspace
// the first time the thread works for that call.
struct ThreadGeometry {
  std::uint64_t call = 0;
  GeometryData data;
};

std::atomic<std::uint64_t> next_call{1};

template <class Query>
std::expected<void, CollisionQueryError> for_each_configuration(const Model& model,
                                                                const GeometryModel& geometry,
                                                                std::size_t n, const double* q,
                                                                std::size_t threads,
                                                                Query&& query) {
  const std::size_t nq = model.nq();
  for (std::size_t k = 0; k < n * nq; ++k) {
    if (!std::isfinite(q[k])) {
      return std::unexpected(CollisionQueryError{
          "q holds NaN or infinity (state " + std::to_string(k / nq) + "); nothing was computed"});
    }
  }
  for (std::size_t k = 0; k < geometry.objects.size(); ++k) {
    if (geometry.objects[k].parent_joint >= model.njoints()) {
      return std::unexpected(CollisionQueryError{
          GeometryError{k, geometry.objects[k].parent_joint, model.njoints()}.display()});
    }
  }
  CollisionWorkspace prepared;
  if (auto ready = prepare_collision_shapes(geometry, prepared); !ready) return ready;
  const std::uint64_t call = next_call.fetch_add(1);
  return for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) -> std::expected<void, CollisionQueryError> {
        thread_local ThreadGeometry mine;
        if (mine.call != call) {
          mine.call = call;
          mine.data.collision = prepared;
        }
        if (auto fk = kinetra::forward_kinematics(model, data, row(q, i, nq)); !fk) {
          return std::unexpected(CollisionQueryError{fk.error().display()});
        }
        // every object's joint is covered (checked above)
        (void)mine.data.update(data.joint_placements, geometry);
        if (auto placed = place_collision_shapes(geometry, mine.data, mine.data.collision);
            !placed) {
          return placed;
        }
        return query(mine.data.collision, i);
      },
      geometry.collision_pairs.size() + 1);
}

}  // namespace

std::expected<void, CollisionQueryError> compute_collisions(const Model& model,
                                                            const GeometryModel& geometry,
                                                            std::size_t n, const double* q,
                                                            std::uint8_t* out,
                                                            std::size_t threads) {
  const std::size_t pairs = geometry.collision_pairs.size();
  return for_each_configuration(
      model, geometry, n, q, threads, [&](CollisionWorkspace& w, std::size_t i) {
        return kinetra::compute_collisions(geometry, w, false, {out + i * pairs, pairs});
      });
}

std::expected<void, CollisionQueryError> compute_distances(const Model& model,
                                                           const GeometryModel& geometry,
                                                           std::size_t n, const double* q,
                                                           double* out, std::size_t threads) {
  const std::size_t pairs = geometry.collision_pairs.size();
  return for_each_configuration(model, geometry, n, q, threads,
                                [&](CollisionWorkspace& w, std::size_t i) {
                                  thread_local std::vector<vortan::DistanceResult> results;
                                  results.resize(pairs);
                                  auto done = kinetra::compute_distances(geometry, w, results);
                                  for (std::size_t k = 0; done && k < pairs; ++k)
                                    out[i * pairs + k] = results[k].distance;
                                  return done;
                                });
}

}  // namespace kinetra::batch
