#pragma once

#include <atomic>

namespace kinetra::batch {

// A check that asks a long batch call to stop: true when the caller wants the call to end.
using InterruptCheck = bool (*)();

// Installs `check` for the batch calls the calling thread makes while the scope lives. The
// calls run it on the calling thread between chunks of rows (and of rollout steps), at most
// about every 20 ms; a call it stops fails with InterruptedError.
class InterruptScope {
 public:
  explicit InterruptScope(InterruptCheck check);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  InterruptCheck previous_;
};

// Marks the calling thread as working on a job that `stop` stops, while the scope lives.
class StopScope {
 public:
  explicit StopScope(const std::atomic<bool>& stop);
  ~StopScope();
  StopScope(const StopScope&) = delete;
  StopScope& operator=(const StopScope&) = delete;

 private:
  const std::atomic<bool>* previous_;
};

// Whether the calling thread's job was stopped, or the check installed on it asks to stop.
bool interrupt_requested();

}  // namespace kinetra::batch
