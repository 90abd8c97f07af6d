#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

// A few threads for CPU-heavy work (decoding answers and images), so that the transport's thread
// only moves bytes and the main thread only updates state. Thread-safe.
//
// Two lanes: quick tasks (an answer to decode) and bulk ones (an image to decode). Bulk tasks
// never take the last thread, so a quick task waits for no image however many are queued; each
// lane starts its tasks in posting order, quick ones first.
class WorkerPool {
 public:
  // As many threads as the hardware runs at once, at least two and at most four: enough that one
  // slow decode never holds up the next answer, few enough to leave the host its cores.
  static std::size_t defaultThreadCount();

  // At least two threads, one of them kept free of bulk work.
  explicit WorkerPool(std::size_t threadCount = defaultThreadCount());
  // Runs what is still queued, then joins: every posted task runs exactly once.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void post(std::function<void()> task);
  void postBulk(std::function<void()> task);
  // Blocks until no task is queued or running; returns whether there was any. Never call it
  // from a task.
  bool waitUntilIdle();
  std::size_t threadCount() const { return threads_.size(); }

 private:
  void work();
  bool canStartBulk() const { return !bulk_.empty() && runningBulk_ + 1 < threads_.size(); }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> quick_;
  std::deque<std::function<void()>> bulk_;
  std::size_t running_ = 0;
  std::size_t runningBulk_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace orvane
