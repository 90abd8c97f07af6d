#include <orvane/platform/run_loop.h>

namespace orvane {

struct RunLoop::TimerEntry {
  Microseconds interval;
  bool repeats;
  std::function<void()> block;
  bool valid = true;
};

class RunLoop::Handle final : public Timer {
 public:
  explicit Handle(std::weak_ptr<TimerEntry> entry) : entry_(std::move(entry)) {}
  void invalidate() override {
    if (auto entry = entry_.lock()) entry->valid = false;
  }

 private:
  std::weak_ptr<TimerEntry> entry_;
};

RunLoop::RunLoop() : mainThread_(std::this_thread::get_id()) {}

void RunLoop::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

std::shared_ptr<Timer> RunLoop::schedule(Microseconds interval, bool repeats, std::function<void()> block) {
  auto entry = std::make_shared<TimerEntry>(TimerEntry{interval, repeats, std::move(block)});
  {
    std::lock_guard lock(mutex_);
    timers_.emplace(std::chrono::steady_clock::now() + interval, entry);
  }
  wake_.notify_one();
  return std::make_shared<Handle>(entry);
}

bool RunLoop::isMainThread() const { return std::this_thread::get_id() == mainThread_; }

bool RunLoop::runOnce(SteadyTime deadline) {
  std::unique_lock lock(mutex_);
  while (!timers_.empty() && !timers_.begin()->second->valid) timers_.erase(timers_.begin());
  auto wakeAt = deadline;
  if (!timers_.empty() && timers_.begin()->first < wakeAt) wakeAt = timers_.begin()->first;
  wake_.wait_until(lock, wakeAt, [&] { return !tasks_.empty(); });

  if (!tasks_.empty()) {
    auto task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    task();
    return true;
  }
  auto now = std::chrono::steady_clock::now();
  if (!timers_.empty() && timers_.begin()->first <= now) {
    auto entry = timers_.begin()->second;
    timers_.erase(timers_.begin());
    if (!entry->valid) return true;
    if (entry->repeats) {
      timers_.emplace(now + entry->interval, entry);
    } else {
      entry->valid = false;
    }
    lock.unlock();
    entry->block();
    return true;
  }
  return false;
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return done();
    runOnce(deadline);
  }
  return true;
}

void RunLoop::runFor(std::chrono::milliseconds span) {
  runUntil([] { return false; }, span);
}

}  // namespace orvane
