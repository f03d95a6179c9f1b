#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "kinetra/export.hpp"

namespace kinetra {

// Worker threads started once and kept waiting between jobs. One job runs at a time; the
// calling thread takes part in it, so a job on t threads wakes t - 1 workers.
class KINETRA_API ThreadPool {
 public:
  ThreadPool() = default;
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;
  ~ThreadPool();

  // Calls task(worker) once for each worker in [0, threads) and returns when every call has
  // returned; worker 0 is the calling thread. Starts the workers a first job of this size needs.
  // The first exception a call throws is rethrown here once the job is over.
  void run(std::size_t threads, const std::function<void(std::size_t worker)>& task);

  // The workers started so far (the calling thread not counted).
  std::size_t started() const;

 private:
  void work(std::size_t worker);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::vector<std::thread> workers_;
  const std::function<void(std::size_t)>* task_ = nullptr;
  std::size_t job_threads_ = 0;  // workers 1 .. job_threads_ - 1 take part in the job
  std::size_t job_ = 0;          // counts jobs, so a worker runs each job once
  std::size_t running_ = 0;
  std::exception_ptr failure_;
  bool stopping_ = false;
  // one job at a time: concurrent callers queue here
  std::mutex job_mutex_;
};

// The process's pool, made on first use. A process forked from one that used it gets a pool
// of its own, since the parent's threads do not exist in the child.
KINETRA_API ThreadPool& shared_thread_pool();

// The CPUs this process may run on (at least 1).
KINETRA_API std::size_t available_cpus();

}  // namespace kinetra
