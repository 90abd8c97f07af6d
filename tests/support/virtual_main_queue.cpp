#include "support/virtual_main_queue.h"

#include <algorithm>

namespace orvane::testing {

struct VirtualMainQueue::Entry {
  Microseconds interval;
  bool repeats;
  std::function<void()> block;
  bool valid = true;
};

class VirtualMainQueue::Handle final : public Timer {
 public:
  explicit Handle(std::weak_ptr<Entry> entry) : entry_(std::move(entry)) {}
  void invalidate() override {
    if (auto entry = entry_.lock()) entry->valid = false;
  }

 private:
  std::weak_ptr<Entry> entry_;
};

VirtualMainQueue::VirtualMainQueue() : mainThread_(std::this_thread::get_id()) {}

void VirtualMainQueue::post(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
}

std::shared_ptr<Timer> VirtualMainQueue::schedule(Microseconds interval, bool repeats,
                                                  std::function<void()> block) {
  auto entry = std::make_shared<Entry>(Entry{interval, repeats, std::move(block)});
  std::lock_guard lock(mutex_);
  timers_.emplace(std::make_pair(now_ + interval, sequence_++), entry);
  return std::make_shared<Handle>(entry);
}

bool VirtualMainQueue::isMainThread() const { return std::this_thread::get_id() == mainThread_; }

void VirtualMainQueue::drain() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

void VirtualMainQueue::advance(Microseconds span) {
  const auto end = now_ + span;
  drain();
  for (;;) {
    std::shared_ptr<Entry> entry;
    {
      std::lock_guard lock(mutex_);
      while (!timers_.empty() && !timers_.begin()->second->valid) timers_.erase(timers_.begin());
      if (timers_.empty() || timers_.begin()->first.first > end) break;
      auto due = timers_.begin()->first.first;
      entry = timers_.begin()->second;
      timers_.erase(timers_.begin());
      now_ = due;
      if (entry->repeats) {
        timers_.emplace(std::make_pair(due + entry->interval, sequence_++), entry);
      } else {
        entry->valid = false;
      }
    }
    entry->block();
    drain();
  }
  now_ = end;
}

std::size_t VirtualMainQueue::activeTimerCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(timers_.begin(), timers_.end(), [](const auto& item) { return item.second->valid; }));
}

}  // namespace orvane::testing
