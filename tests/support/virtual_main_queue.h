#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <orvane/platform/main_queue.h>

namespace orvane::testing {

// A main queue in virtual time: nothing runs until the test pumps it, and timers fire
// exactly when the virtual clock passes their due time. Posting is thread-safe.
class VirtualMainQueue final : public MainQueue {
 public:
  VirtualMainQueue();

  void post(std::function<void()> task) override;
  std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) override;
  bool isMainThread() const override;

  // Runs posted tasks (and the tasks they post) until none is left.
  void drain();
  // Moves virtual time forward, firing due timers in time order and draining after each.
  void advance(Microseconds span);
  Microseconds now() const { return now_; }
  std::size_t activeTimerCount() const;

 private:
  struct Entry;
  class Handle;

  std::thread::id mainThread_;
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::multimap<std::pair<Microseconds, std::uint64_t>, std::shared_ptr<Entry>> timers_;
  std::uint64_t sequence_ = 0;
  Microseconds now_{0};
};

}  // namespace orvane::testing
