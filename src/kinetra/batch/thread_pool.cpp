#include "kinetra/batch/thread_pool.hpp"

#include <sched.h>
#include <unistd.h>

#include <utility>

namespace kinetra {

ThreadPool::~ThreadPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

std::size_t ThreadPool::started() const {
  std::lock_guard lock(mutex_);
  return workers_.size();
}

void ThreadPool::run(std::size_t threads, const std::function<void(std::size_t)>& task) {
  if (threads <= 1) {
    task(0);
    return;
  }
  const std::function<void(std::size_t)> guarded = [&](std::size_t worker) {
    try {
      task(worker);
    } catch (...) {
      std::lock_guard lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
    }
  };
  std::lock_guard job_lock(job_mutex_);
  {
    std::unique_lock lock(mutex_);
    while (workers_.size() + 1 < threads) {
      workers_.emplace_back([this, worker = workers_.size() + 1] { work(worker); });
    }
    task_ = &guarded;
    failure_ = nullptr;
    job_threads_ = threads;
    running_ = threads - 1;
    ++job_;
  }
  wake_.notify_all();
  guarded(0);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return running_ == 0; });
  task_ = nullptr;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void ThreadPool::work(std::size_t worker) {
  std::size_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (job_ != seen && worker < job_threads_); });
    if (stopping_) return;
    seen = job_;
    const auto* task = task_;
    lock.unlock();
    (*task)(worker);
    lock.lock();
    if (--running_ == 0) done_.notify_one();
  }
}

ThreadPool& shared_thread_pool() {
  // never destroyed: workers may outlive static destruction at exit, and a forked child must
  // not join threads that exist only in its parent
  static ThreadPool* pool = nullptr;
  static pid_t owner = 0;
  static std::mutex guard;
  std::lock_guard lock(guard);
  if (!pool || owner != getpid()) {
    pool = new ThreadPool();
    owner = getpid();
  }
  return *pool;
}

std::size_t available_cpus() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int n = CPU_COUNT(&set);
    if (n > 0) return static_cast<std::size_t>(n);
  }
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? n : 1;
}

}  // namespace kinetra
