#pragma once

#include <memory>

#include "platform/main_queue.h"
#include "support/virtual_main_queue.h"

namespace orvane::quick::testing {

// The GUI thread's queue with timers in virtual time: posted work runs on the Qt event loop as
// usual, while timers fire only when a test advances the clock, so rotations need no waiting.
class VirtualTimerQueue final : public MainQueue {
 public:
  explicit VirtualTimerQueue(std::shared_ptr<MainQueue> eventLoop) : eventLoop_(std::move(eventLoop)) {}

  void post(std::function<void()> task) override { eventLoop_->post(std::move(task)); }
  std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) override {
    return timers_.schedule(interval, repeats, std::move(block));
  }
  bool isMainThread() const override { return eventLoop_->isMainThread(); }

  // Fires the timers due within the span, in time order.
  void advance(Microseconds span) { timers_.advance(span); }

 private:
  std::shared_ptr<MainQueue> eventLoop_;
  orvane::testing::VirtualMainQueue timers_;
};

}  // namespace orvane::quick::testing
