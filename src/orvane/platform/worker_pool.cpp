#include <orvane/platform/worker_pool.h>

#include <algorithm>
#include <utility>

namespace orvane {

std::size_t WorkerPool::defaultThreadCount() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4);
}

WorkerPool::WorkerPool(std::size_t threadCount)
    : state_(std::make_shared<State>(std::max<std::size_t>(threadCount, 2))) {
  threads_.reserve(state_->threadCount);
  for (std::size_t i = 0; i < state_->threadCount; ++i) threads_.emplace_back([state = state_] { work(*state); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  for (auto& thread : threads_) {
    // A task whose captures held the last owner: joining itself would throw.
    if (thread.get_id() == std::this_thread::get_id())
      thread.detach();
    else
      thread.join();
  }
}

void WorkerPool::post(std::function<void()> task) {
  {
    std::lock_guard lock(state_->mutex);
    state_->quick.push_back(std::move(task));
  }
  state_->wake.notify_one();
}

void WorkerPool::postBulk(std::function<void()> task) {
  {
    std::lock_guard lock(state_->mutex);
    state_->bulk.push_back(std::move(task));
  }
  state_->wake.notify_one();
}

bool WorkerPool::waitUntilIdle() {
  State& state = *state_;
  std::unique_lock lock(state.mutex);
  const auto idle = [&state] { return state.running == 0 && state.quick.empty() && state.bulk.empty(); };
  const bool busy = !idle();
  state.idle.wait(lock, idle);
  return busy;
}

void WorkerPool::work(State& state) {
  std::unique_lock lock(state.mutex);
  for (;;) {
    state.wake.wait(lock, [&state] {
      return !state.quick.empty() || state.canStartBulk() || (state.stopping && state.bulk.empty());
    });
    const bool isBulk = state.quick.empty();
    if (isBulk && state.bulk.empty()) return;  // stopping, and nothing left to run
    auto& lane = isBulk ? state.bulk : state.quick;
    auto task = std::move(lane.front());
    lane.pop_front();
    ++state.running;
    if (isBulk) ++state.runningBulk;
    lock.unlock();
    if (task) task();
    task = nullptr;  // whatever it captured goes before the pool counts it done
    lock.lock();
    --state.running;
    if (isBulk) {
      --state.runningBulk;
      // The bulk slot just freed may be the one a queued bulk task waits for.
      state.wake.notify_one();
    }
    if (state.running == 0 && state.quick.empty() && state.bulk.empty()) state.idle.notify_all();
  }
}

}  // namespace orvane
