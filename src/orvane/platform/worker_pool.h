#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
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
  // Runs what is still queued, then joins: every posted task runs exactly once. When the last
  // owner lets go inside one of the pool's own tasks, that thread finishes the queue on its own.
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
  // What the threads share; a thread that outlives the pool (see the destructor) keeps it alive.
  struct State {
    explicit State(std::size_t count) : threadCount(count) {}
    bool canStartBulk() const { return !bulk.empty() && runningBulk + 1 < threadCount; }

    const std::size_t threadCount;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> quick;
    std::deque<std::function<void()>> bulk;
    std::size_t running = 0;
    std::size_t runningBulk = 0;
    bool stopping = false;
  };

  static void work(State& state);

  std::shared_ptr<State> state_;
  std::vector<std::thread> threads_;
};

}  // namespace orvane
