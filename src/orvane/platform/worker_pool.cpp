#include <orvane/platform/worker_pool.h>

#include <algorithm>
#include <utility>

namespace orvane {

std::size_t WorkerPool::defaultThreadCount() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4);
}

WorkerPool::WorkerPool(std::size_t threadCount) {
  const std::size_t count = std::max<std::size_t>(threadCount, 2);
  threads_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void WorkerPool::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    quick_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void WorkerPool::postBulk(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    bulk_.push_back(std::move(task));
  }
  wake_.notify_one();
}

bool WorkerPool::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  const auto idle = [this] { return running_ == 0 && quick_.empty() && bulk_.empty(); };
  const bool busy = !idle();
  idle_.wait(lock, idle);
  return busy;
}

void WorkerPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return !quick_.empty() || canStartBulk() || (stopping_ && bulk_.empty()); });
    const bool isBulk = quick_.empty();
    if (isBulk && bulk_.empty()) return;  // stopping, and nothing left to run
    auto& lane = isBulk ? bulk_ : quick_;
    auto task = std::move(lane.front());
    lane.pop_front();
    ++running_;
    if (isBulk) ++runningBulk_;
    lock.unlock();
    if (task) task();
    task = nullptr;  // whatever it captured goes before the pool counts it done
    lock.lock();
    --running_;
    if (isBulk) {
      --runningBulk_;
      // The bulk slot just freed may be the one a queued bulk task waits for.
      wake_.notify_one();
    }
    if (running_ == 0 && quick_.empty() && bulk_.empty()) idle_.notify_all();
  }
}

}  // namespace orvane
