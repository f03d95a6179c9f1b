#pragma once

#include <Eigen/Core>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <expected>
#include <mutex>
#include <optional>
#include <type_traits>

#include "kinetra/batch/interruption.hpp"
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

// Checks every row of q (n rows of nq values) as the single-state algorithms check one, so
// that a call refusing a value writes no row; the error names the first row refused.
std::expected<void, AlgorithmError> check_rows(const Model& model, std::size_t n, const double* q);

// Fewer rows than this per thread are not worth waking a worker for.
inline constexpr std::size_t min_rows_per_thread = 16;
// A chunk of rows costs at most about this many single-state calls, so that a stop is seen soon.
inline constexpr std::size_t max_chunk_weight = 1024;

// Calls compute(data, i) for every row i in [0, n) on up to `threads` threads of the shared
// pool, never more than the CPUs the process may use; compute returns std::expected<void, E>
// (E: AlgorithmError, or another error type made from an InterruptedError). Stops at the first
// error, or with InterruptedError when interrupt_requested() says so between chunks. A row costs
// about `row_weight` single-state calls.
template <class Compute,
          class E = typename std::invoke_result_t<Compute&, Data&, std::size_t>::error_type>
std::expected<void, E> for_each_row(const Model& model, std::size_t n, std::size_t threads,
                                    Compute&& compute, std::size_t row_weight = 1) {
  row_weight = std::max<std::size_t>(row_weight, 1);
  threads = std::clamp<std::size_t>(std::min(n, n * row_weight / min_rows_per_thread), 1,
                                    std::clamp<std::size_t>(threads, 1, available_cpus()));
  // rows are handed out in chunks, so that a slow thread does not hold up the others
  const std::size_t chunk = std::clamp<std::size_t>(
      n / (threads * 8), 1, std::max<std::size_t>(1, max_chunk_weight / row_weight));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t working = threads;
  std::optional<E> error;
  const auto fail = [&](E e) {
    std::lock_guard lock(mutex);
    if (!error) error = std::move(e);
    failed = true;
  };
  shared_thread_pool().run(threads, [&](std::size_t worker) {
    {
      const StopScope stop(failed);
      Data& data = thread_workspace(model);
      for (bool more = true; more && !failed.load(std::memory_order_relaxed);) {
        if (interrupt_requested()) {
          fail(E(InterruptedError{}));
          break;
        }
        const std::size_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
        more = begin < n;
        for (std::size_t i = begin; more && i < std::min(n, begin + chunk); ++i) {
          auto done = compute(data, i);
          if (!done) {
            fail(std::move(done.error()));
            more = false;
          }
        }
      }
    }
    std::unique_lock lock(mutex);
    --working;
    if (worker != 0) {
      finished.notify_one();
      return;
    }
    // the calling thread keeps answering interruptions until the others are done
    while (!finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return working == 0; })) {
      if (!failed && interrupt_requested()) {
        if (!error) error.emplace(InterruptedError{});
        failed = true;
      }
    }
  });
  if (error) return std::unexpected(std::move(*error));
  return {};
}

}  // namespace kinetra::batch
