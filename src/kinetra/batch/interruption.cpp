#include "kinetra/batch/interruption.hpp"

#include <chrono>

namespace kinetra::batch {

namespace {

using Clock = std::chrono::steady_clock;

thread_local InterruptCheck installed = nullptr;
thread_local Clock::time_point next_check;
thread_local const std::atomic<bool>* job_stop = nullptr;

constexpr auto check_interval = std::chrono::milliseconds(20);

}  // namespace

InterruptScope::InterruptScope(InterruptCheck check) : previous_(installed) {
  installed = check;
  next_check = Clock::now() + check_interval;
}

InterruptScope::~InterruptScope() { installed = previous_; }

StopScope::StopScope(const std::atomic<bool>& stop) : previous_(job_stop) { job_stop = &stop; }

StopScope::~StopScope() { job_stop = previous_; }

bool interrupt_requested() {
  if (job_stop != nullptr && job_stop->load(std::memory_order_relaxed)) return true;
  if (installed == nullptr) return false;
  const Clock::time_point now = Clock::now();
  if (now < next_check) return false;
  next_check = now + check_interval;
  return installed();
}

}  // namespace kinetra::batch
