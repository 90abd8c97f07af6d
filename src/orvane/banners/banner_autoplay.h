#pragma once

#include <orvane/export.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <orvane/platform/main_queue.h>

namespace orvane {

// The step of a story-style bar's fill.
inline constexpr Microseconds kBannerProgressTick{50'000};

// The rotation timer of one shown slide, on one-shot main-queue timers. A carousel waits its
// period once; a story-style slide ticks every kBannerProgressTick, reporting the bar's fill after
// each tick, and counts time by adding the tick per sleep (never by reading a clock), so a slide
// stays somewhat longer than its period when timers run late. When the time is up, `advance`
// runs once. After cancel() nothing more is called, also when cancel() runs inside a callback.
class ORVANE_EXPORT BannerAutoplay {
 public:
  enum class Style { carousel, story };
  struct Steps {
    std::function<void(double fill)> progress;
    std::function<void()> advance;
  };

  // The period is autoplaySeconds, at least one second.
  static std::shared_ptr<BannerAutoplay> start(std::shared_ptr<MainQueue> mainQueue, Style style,
                                               std::int64_t autoplaySeconds, Steps steps);
  ~BannerAutoplay();
  BannerAutoplay(const BannerAutoplay&) = delete;
  BannerAutoplay& operator=(const BannerAutoplay&) = delete;

  void cancel();

 private:
  BannerAutoplay(std::shared_ptr<MainQueue> mainQueue, double seconds, Steps steps);

  void sleep(Microseconds span, void (BannerAutoplay::*wake)());
  void periodEnded();
  void tickEnded();

  std::shared_ptr<MainQueue> mainQueue_;
  std::weak_ptr<BannerAutoplay> self_;
  double seconds_;
  Steps steps_;
  double elapsed_ = 0;
  bool cancelled_ = false;
  std::shared_ptr<Timer> timer_;
};

}  // namespace orvane
