#pragma once

#include <orvane/export.h>

#include <chrono>
#include <functional>
#include <memory>

namespace orvane {

// Timer intervals.
using Microseconds = std::chrono::microseconds;

// A timer MainQueue::schedule started.
//
// \code
// auto tick = queue.schedule(std::chrono::milliseconds(50), true, [] { advanceProgress(); });
// tick->invalidate();  // no more ticks
// \endcode
class ORVANE_EXPORT Timer {
 public:
  virtual ~Timer() = default;
  // Safe to call more than once and after a one-shot timer has fired.
  virtual void invalidate() = 0;
};

// The host's main thread: where every observable piece of SDK state lives.
//
// \code
// queue.post([] { /* runs later on the main thread */ });
// \endcode
class ORVANE_EXPORT MainQueue {
 public:
  virtual ~MainQueue() = default;
  // Thread-safe: runs the task later on the main thread, in posting order.
  virtual void post(std::function<void()> task) = 0;
  // Main thread only. Fires the block on the main thread every interval (or once) until invalidated.
  virtual std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) = 0;
  // Whether the calling thread is the main thread.
  virtual bool isMainThread() const = 0;
};

}  // namespace orvane
