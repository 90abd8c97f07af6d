#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/api/story_services.h>
#include <orvane/banners/banner_autoplay.h>
#include <orvane/banners/banner_lineup.h>
#include <orvane/banners/banner_render_state.h>
#include <orvane/core/observable.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/model/banner.h>

namespace orvane {

// Everything a banner view does except drawing: fetches the placement's banners, picks the banner
// and slide to show, rotates slides on timers, follows swipes, hides slides whose image fails,
// reports impressions and clicks, and opens a slide's link. A toolkit view owns one per placement,
// forwards its lifecycle, gestures and image outcomes, and redraws renderState() after changes:
//
//   auto placement = BannerPlacement::create("home_top");
//   Subscription redraw = placement->observe([&] { queue.post([&] { draw(placement->renderState()); }); });
//   placement->appear();
//
// Observers are told before each change. Main thread only.
class ORVANE_EXPORT BannerPlacement final : public Observable {
 public:
  static std::shared_ptr<BannerPlacement> create(std::string placementKey, StoryServices services,
                                                 StoryImagePipeline& pipeline = StoryImagePipeline::shared());
  ~BannerPlacement();

  const std::string& placementKey() const { return placementKey_; }
  // In the order the service sent them.
  const std::vector<Banner>& banners() const { return banners_.get(); }
  std::size_t activeBannerIndex() const { return activeBannerIndex_.get(); }
  std::size_t activeItemIndex() const { return activeItemIndex_.get(); }
  // The fill of the active story-style bar, 0...1.
  double activeItemProgress() const { return activeItemProgress_.get(); }
  // Slides whose image failed in this load, as bannerItemKey()s.
  const std::set<std::string>& invalidItemKeys() const { return invalidItemKeys_.get(); }
  // The last load: running; finished at least once; why it failed (cleared by the next one).
  bool isLoading() const { return isLoading_.get(); }
  bool hasLoaded() const { return hasLoaded_.get(); }
  const std::optional<Error>& loadError() const { return loadError_.get(); }
  // placementKey ":" banner id of every banner whose impression was reported.
  const std::set<std::string>& trackedImpressions() const { return trackedImpressions_.get(); }

  // What to draw; absent when there is nothing to show.
  std::optional<BannerRenderState> renderState() const;
  std::vector<BannerItem> visibleItems(const Banner& banner) const;
  std::optional<std::size_t> nextBannerIndex(const std::string& bannerId) const;
  std::optional<std::size_t> previousBannerIndex(const std::string& bannerId) const;
  std::optional<std::size_t> firstBannerIndexWithItems() const;
  std::optional<std::size_t> lastBannerIndexWithItems() const;

  // Lifecycle. Every appearance (not only the first) and every return of the application to the
  // foreground reloads; the reload resets the position but not the reported impressions.
  void appear();
  void disappear();
  void applicationDidBecomeActive();
  void loadBanners();

  void setPosition(std::size_t bannerIndex, std::size_t itemIndex, double progress);
  // The next slide, else the next banner with slides, else the first one (and back likewise).
  void showNextItem(const BannerRenderState& from);
  void showPreviousItem(const BannerRenderState& from);

  // Gestures on the shown slide. A drag counts only when mostly horizontal and longer than 36
  // points; leftwards shows the next slide. A tap reports a click and follows the slide's link.
  void handleDragEnded(double dx, double dy);
  void handleTap();

  // The outcome of loading a slide's image.
  void handleImageLoaded(const std::string& bannerId, const std::string& itemId);
  void handleImageFailed(const std::string& bannerId, const std::string& itemId);

 private:
  BannerPlacement(std::string placementKey, StoryServices services, StoryImagePipeline& pipeline);

  BannerLineup lineup() const { return BannerLineup(banners_.get(), invalidItemKeys_.get()); }
  const Banner* bannerWithId(const std::string& bannerId) const;
  void applyLoadedBanners(std::vector<Banner> banners);
  void trackImpression(const Banner& banner, const BannerItem& item);
  void prefetchNextItem(const BannerRenderState& state);
  void openCallToAction(const BannerItem& item);
  // Restarts the rotation whenever the shown slide's identity changes; stops it while hidden.
  void refreshAutoplay();
  void startAutoplay(const BannerRenderState& state);
  void advance(const BannerRenderState& state);

  std::weak_ptr<BannerPlacement> self_;
  std::string placementKey_;
  StorySession& session_;
  EventReporter& events_;
  StoryImagePipeline& pipeline_;
  StoryAPI api_;

  Published<std::vector<Banner>> banners_{*this, {}};
  Published<std::size_t> activeBannerIndex_{*this, 0};
  Published<std::size_t> activeItemIndex_{*this, 0};
  Published<double> activeItemProgress_{*this, 0.0};
  Published<std::set<std::string>> invalidItemKeys_{*this, {}};
  Published<std::set<std::string>> trackedImpressions_{*this, {}};
  Published<bool> isLoading_{*this, false};
  Published<bool> hasLoaded_{*this, false};
  Published<std::optional<Error>> loadError_{*this, std::nullopt};

  bool onScreen_ = false;
  std::optional<std::string> autoplayIdentity_;
  std::uint64_t autoplayGeneration_ = 0;
  // Numbers the loads; only the answer of the latest is taken.
  std::uint64_t lastLoad_ = 0;
  std::shared_ptr<BannerAutoplay> autoplay_;
};

}  // namespace orvane
