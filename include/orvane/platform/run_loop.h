#pragma once

#include <orvane/export.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <orvane/platform/main_queue.h>

namespace orvane {

// A main queue for hosts without a UI toolkit (command-line tools, integration tests): the
// thread that constructs it is the main thread, and it runs tasks and timers while it is pumped.
class ORVANE_EXPORT RunLoop final : public MainQueue, public std::enable_shared_from_this<RunLoop> {
 public:
  RunLoop();

  void post(std::function<void()> task) override;
  std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) override;
  // The thread that constructed it.
  bool isMainThread() const override;

  // Runs tasks and due timers until `done` holds or the timeout passes; true when `done` held.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs everything that is due for the given wall-clock span.
  void runFor(std::chrono::milliseconds span);

 private:
  using SteadyTime = std::chrono::steady_clock::time_point;
  struct TimerEntry;
  class Handle;

  bool runOnce(SteadyTime deadline);

  std::thread::id mainThread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  std::multimap<SteadyTime, std::shared_ptr<TimerEntry>> timers_;
};

}  // namespace orvane
