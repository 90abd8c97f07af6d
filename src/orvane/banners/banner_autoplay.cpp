#include <orvane/banners/banner_autoplay.h>

#include <algorithm>
#include <utility>

namespace orvane {
namespace {

// Keeps a carousel's timer interval representable; about 31 years is "never" for a banner.
constexpr std::int64_t kLongestPeriodSeconds = 1'000'000'000;

constexpr double kTickSeconds = std::chrono::duration<double>(kBannerProgressTick).count();

}  // namespace

std::shared_ptr<BannerAutoplay> BannerAutoplay::start(std::shared_ptr<MainQueue> mainQueue, Style style,
                                                      std::int64_t autoplaySeconds, Steps steps) {
  const auto seconds = std::clamp<std::int64_t>(autoplaySeconds, 1, kLongestPeriodSeconds);
  std::shared_ptr<BannerAutoplay> autoplay(
      new BannerAutoplay(std::move(mainQueue), static_cast<double>(seconds), std::move(steps)));
  autoplay->self_ = autoplay;
  if (style == Style::carousel) {
    autoplay->sleep(std::chrono::seconds(seconds), &BannerAutoplay::periodEnded);
  } else {
    autoplay->sleep(kBannerProgressTick, &BannerAutoplay::tickEnded);
  }
  return autoplay;
}

BannerAutoplay::BannerAutoplay(std::shared_ptr<MainQueue> mainQueue, double seconds, Steps steps)
    : mainQueue_(std::move(mainQueue)), seconds_(seconds), steps_(std::move(steps)) {}

BannerAutoplay::~BannerAutoplay() { cancel(); }

void BannerAutoplay::cancel() {
  cancelled_ = true;
  if (timer_) timer_->invalidate();
}

void BannerAutoplay::sleep(Microseconds span, void (BannerAutoplay::*wake)()) {
  // The timer holds the task weakly; the lock keeps it alive while a callback cancels and drops it.
  timer_ = mainQueue_->schedule(span, false, [weak = self_, wake] {
    if (auto self = weak.lock()) ((*self).*wake)();
  });
}

void BannerAutoplay::periodEnded() {
  if (cancelled_) return;
  steps_.advance();
}

void BannerAutoplay::tickEnded() {
  if (cancelled_) return;
  const double reached = elapsed_ + kTickSeconds;
  steps_.progress(std::min(reached / seconds_, 1.0));
  if (cancelled_) return;
  if (reached < seconds_) {
    elapsed_ = reached;
    sleep(kBannerProgressTick, &BannerAutoplay::tickEnded);
  } else {
    steps_.advance();
  }
}

}  // namespace orvane
