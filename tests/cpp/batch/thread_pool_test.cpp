#include "kinetra/batch/thread_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace kinetra {
namespace {

TEST(ThreadPool, EveryWorkerRunsOncePerJobAndWorkersAreKept) {
  ThreadPool pool;
  for (std::size_t threads : {4u, 1u, 3u, 4u}) {
    std::vector<std::atomic<int>> calls(threads);
    pool.run(threads, [&](std::size_t worker) { ++calls[worker]; });
    for (const auto& c : calls) EXPECT_EQ(c.load(), 1);
    EXPECT_EQ(pool.started(), 3u);
  }
}

TEST(ThreadPool, ExceptionOfAWorkerReachesTheCaller) {
  ThreadPool pool;
  EXPECT_THROW(pool.run(3,
                        [](std::size_t worker) {
                          if (worker == 2) throw std::runtime_error("worker failed");
                        }),
               std::runtime_error);
  std::atomic<int> calls = 0;
  pool.run(3, [&](std::size_t) { ++calls; });
  EXPECT_EQ(calls.load(), 3);
}

}  // namespace
}  // namespace kinetra
