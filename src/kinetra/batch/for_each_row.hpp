#pragma once

#include <Eigen/Core>
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <expected>
#include <mutex>
#include <optional>

#include "kinetra/batch/thread_pool.hpp"
#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra::batch {

// Row i of a row-major array of rows of `width` values.
inline ConfigurationRef row(const double* values, std::size_t i, std::size_t width) {
  return Eigen::Map<const Configuration>(values + i * width, static_cast<Eigen::Index>(width));
}

inline Eigen::Map<Configuration> row(double* values, std::size_t i, std::size_t width) {
  return {values + i * width, static_cast<Eigen::Index>(width)};
}

// The calling thread's workspace for `model`, remade when it was last used with a model of
// other joints.
KINETRA_API Data& thread_workspace(const Model& model);

// Fewer rows than this per thread are not worth waking a worker for.
inline constexpr std::size_t min_rows_per_thread = 16;

// Calls compute(data, i) for every row i in [0, n) on up to `threads` threads of the shared
// pool, never more than the CPUs the process may use; compute returns
// std::expected<void, AlgorithmError>. Stops at the first error. A row costs about
// `row_weight` single-state calls.
template <class Compute>
std::expected<void, AlgorithmError> for_each_row(const Model& model, std::size_t n,
                                                 std::size_t threads, Compute&& compute,
                                                 std::size_t row_weight = 1) {
  threads = std::clamp<std::size_t>(std::min(n, n * row_weight / min_rows_per_thread), 1,
                                    std::clamp<std::size_t>(threads, 1, available_cpus()));
  // rows are handed out in chunks, so that a slow thread does not hold up the others
  const std::size_t chunk = std::max<std::size_t>(1, n / (threads * 8));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex error_mutex;
  std::optional<AlgorithmError> error;
  shared_thread_pool().run(threads, [&](std::size_t) {
    Data& data = thread_workspace(model);
    for (;;) {
      const std::size_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
      if (begin >= n || failed.load(std::memory_order_relaxed)) return;
      const std::size_t end = std::min(n, begin + chunk);
      for (std::size_t i = begin; i < end; ++i) {
        auto done = compute(data, i);
        if (!done) {
          std::lock_guard lock(error_mutex);
          if (!error) error = std::move(done.error());
          failed = true;
          return;
        }
      }
    }
  });
  if (error) return std::unexpected(std::move(*error));
  return {};
}

}  // namespace kinetra::batch
