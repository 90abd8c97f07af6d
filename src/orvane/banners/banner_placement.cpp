#include <orvane/banners/banner_placement.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include <orvane/core/main_thread.h>

namespace orvane {
namespace {

// Drags shorter than this, or more vertical than horizontal, are not swipes.
constexpr double kSwipeDistance = 36;

std::string impressionKey(const std::string& placementKey, const std::string& bannerId) {
  return placementKey + ":" + bannerId;
}

// Changes whenever another slide is shown or the banner's visible slides change in number.
std::string autoplayIdentity(const BannerRenderState& state) {
  return state.banner().id() + "-" + std::to_string(state.activeItemIndex()) + "-" +
         std::to_string(state.items().size());
}

bool opensLink(BannerCtaType type) {
  return type == BannerCtaType::externalURL || type == BannerCtaType::deepLink ||
         type == BannerCtaType::internalRoute;
}

}  // namespace

std::shared_ptr<BannerPlacement> BannerPlacement::create(std::string placementKey, StoryServices services,
                                                         StoryImagePipeline& pipeline) {
  std::shared_ptr<BannerPlacement> placement(
      new BannerPlacement(std::move(placementKey), services, pipeline));
  placement->self_ = placement;
  return placement;
}

BannerPlacement::BannerPlacement(std::string placementKey, StoryServices services,
                                 StoryImagePipeline& pipeline)
    : placementKey_(std::move(placementKey)),
      session_(services.session),
      events_(services.events),
      pipeline_(pipeline),
      api_(services.session.platform().http, services.session) {}

BannerPlacement::~BannerPlacement() {
  if (autoplay_) autoplay_->cancel();
}

std::optional<BannerRenderState> BannerPlacement::renderState() const {
  return lineup().renderState(activeBannerIndex(), activeItemIndex());
}

std::vector<BannerItem> BannerPlacement::visibleItems(const Banner& banner) const {
  return lineup().visibleItems(banner);
}

std::optional<std::size_t> BannerPlacement::nextBannerIndex(const std::string& bannerId) const {
  return lineup().nextBannerIndex(bannerId);
}

std::optional<std::size_t> BannerPlacement::previousBannerIndex(const std::string& bannerId) const {
  return lineup().previousBannerIndex(bannerId);
}

std::optional<std::size_t> BannerPlacement::firstBannerIndexWithItems() const {
  return lineup().firstBannerIndexWithItems();
}

std::optional<std::size_t> BannerPlacement::lastBannerIndexWithItems() const {
  return lineup().lastBannerIndexWithItems();
}

void BannerPlacement::appear() {
  ORVANE_ASSERT_MAIN_THREAD();
  onScreen_ = true;
  refreshAutoplay();
  loadBanners();
}

void BannerPlacement::disappear() {
  ORVANE_ASSERT_MAIN_THREAD();
  onScreen_ = false;
  refreshAutoplay();
}

void BannerPlacement::applicationDidBecomeActive() { loadBanners(); }

void BannerPlacement::loadBanners() {
  ORVANE_ASSERT_MAIN_THREAD();
  isLoading_.set(true);
  const auto load = ++lastLoad_;
  api_.fetchBanners(placementKey_, [weak = self_, load](Result<std::vector<Banner>> result) {
    auto self = weak.lock();
    // A later load overtook this one: its answer is older than what that one brings.
    if (!self || load != self->lastLoad_) return;
    self->isLoading_.set(false);
    self->hasLoaded_.set(true);
    self->loadError_.set(result.ok() ? std::nullopt : std::optional(result.error()));
    // A failure shows nothing until a later load succeeds; the client already fell back to the
    // last good answer when it had one.
    self->applyLoadedBanners(result.ok() ? std::move(result).value() : std::vector<Banner>{});
  });
}

void BannerPlacement::applyLoadedBanners(std::vector<Banner> banners) {
  banners_.set(std::move(banners));
  activeBannerIndex_.set(0);
  activeItemIndex_.set(0);
  invalidItemKeys_.set({});
  refreshAutoplay();
}

void BannerPlacement::setPosition(std::size_t bannerIndex, std::size_t itemIndex, double progress) {
  ORVANE_ASSERT_MAIN_THREAD();
  activeBannerIndex_.set(bannerIndex);
  activeItemIndex_.set(itemIndex);
  activeItemProgress_.set(progress);
  refreshAutoplay();
}

void BannerPlacement::showNextItem(const BannerRenderState& from) {
  if (from.activeItemIndex() + 1 < from.items().size()) {
    return setPosition(from.bannerIndex(), from.activeItemIndex() + 1, 0);
  }
  auto target = nextBannerIndex(from.banner().id());
  if (!target) target = firstBannerIndexWithItems();
  if (target) setPosition(*target, 0, 0);
}

void BannerPlacement::showPreviousItem(const BannerRenderState& from) {
  if (from.activeItemIndex() >= 1) return setPosition(from.bannerIndex(), from.activeItemIndex() - 1, 0);
  auto target = previousBannerIndex(from.banner().id());
  if (!target) target = lastBannerIndexWithItems();
  if (!target) return;
  const auto count = visibleItems(banners()[*target]).size();
  setPosition(*target, count > 0 ? count - 1 : 0, 0);
}

void BannerPlacement::handleDragEnded(double dx, double dy) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!(std::abs(dx) > kSwipeDistance && std::abs(dy) < std::abs(dx))) return;
  const auto state = renderState();
  if (!state) return;
  if (dx < 0) {
    showNextItem(*state);
  } else {
    showPreviousItem(*state);
  }
}

void BannerPlacement::handleTap() {
  ORVANE_ASSERT_MAIN_THREAD();
  // The host's event handler may drop the last owner of this placement.
  const auto keepAlive = self_.lock();
  const auto state = renderState();
  if (!state) return;
  // Every tap is a click, whatever the slide's link type, and clicks are never de-duplicated.
  events_.report(StorySDKEvent::bannerClick(state->banner().id(), state->item().id(), placementKey_,
                                            state->item().ctaURL()),
                 placementKey_);
  openCallToAction(state->item());
}

void BannerPlacement::openCallToAction(const BannerItem& item) {
  if (!item.ctaURL() || !opensLink(item.ctaType())) return;
  session_.platform().urlOpener->open(*item.ctaURL());
}

const Banner* BannerPlacement::bannerWithId(const std::string& bannerId) const {
  for (const auto& banner : banners()) {
    if (banner.id() == bannerId) return &banner;
  }
  return nullptr;
}

void BannerPlacement::handleImageLoaded(const std::string& bannerId, const std::string& itemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  // The host's event handler may drop the last owner of this placement.
  const auto keepAlive = self_.lock();
  // Images of banners that a reload has since removed say nothing about what is shown.
  const Banner* banner = bannerWithId(bannerId);
  if (!banner) return;
  const auto& items = banner->items();
  const auto item =
      std::find_if(items.begin(), items.end(), [&](const BannerItem& it) { return it.id() == itemId; });
  if (item == items.end()) return;

  trackImpression(*banner, *item);
  // Read afresh: the host's handler may have moved the placement.
  const auto state = renderState();
  if (state && state->banner().id() == bannerId && state->item().id() == itemId) prefetchNextItem(*state);
}

void BannerPlacement::trackImpression(const Banner& banner, const BannerItem& item) {
  auto tracked = trackedImpressions();
  if (!tracked.insert(impressionKey(placementKey_, banner.id())).second) return;
  trackedImpressions_.set(std::move(tracked));
  events_.report(StorySDKEvent::bannerImpression(banner.id(), item.id(), placementKey_), placementKey_);
}

void BannerPlacement::prefetchNextItem(const BannerRenderState& state) {
  if (state.items().size() < 2) return;
  const auto next = (state.activeItemIndex() + 1) % state.items().size();
  pipeline_.prefetch(state.items()[next].mediaURL());
}

void BannerPlacement::handleImageFailed(const std::string& bannerId, const std::string& itemId) {
  ORVANE_ASSERT_MAIN_THREAD();
  // Failures of banners that a reload has since removed say nothing about what is shown.
  if (!bannerWithId(bannerId)) return;

  auto invalid = invalidItemKeys();
  invalid.insert(bannerItemKey(bannerId, itemId));
  invalidItemKeys_.set(std::move(invalid));

  const auto remaining = visibleItems(*bannerWithId(bannerId)).size();
  if (remaining > 0) {
    if (activeItemIndex() >= remaining) activeItemIndex_.set(0);
  } else {
    // Past the end means the last banner, or nothing when it has no slides left either.
    activeBannerIndex_.set(nextBannerIndex(bannerId).value_or(banners().size()));
    activeItemIndex_.set(0);
  }
  refreshAutoplay();
}

void BannerPlacement::refreshAutoplay() {
  const auto state = onScreen_ ? renderState() : std::nullopt;
  std::optional<std::string> identity;
  if (state) identity = autoplayIdentity(*state);
  if (identity == autoplayIdentity_) return;

  if (autoplay_) autoplay_->cancel();
  autoplay_.reset();
  autoplayIdentity_ = std::move(identity);
  const auto generation = ++autoplayGeneration_;
  if (!state || state->banner().type() == BannerType::static_ || state->items().size() < 2) return;

  // Resetting the bar notifies observers, which may already have moved on to another slide.
  setPosition(activeBannerIndex(), activeItemIndex(), 0);
  if (generation == autoplayGeneration_) startAutoplay(*state);
}

void BannerPlacement::startAutoplay(const BannerRenderState& state) {
  const auto style = state.banner().type() == BannerType::story ? BannerAutoplay::Style::story
                                                                : BannerAutoplay::Style::carousel;
  autoplay_ = BannerAutoplay::start(session_.platform().mainQueue, style, state.banner().autoplaySeconds(),
                                    {[weak = self_](double fill) {
                                       if (auto self = weak.lock()) self->activeItemProgress_.set(fill);
                                     },
                                     [weak = self_, state] {
                                       if (auto self = weak.lock()) self->advance(state);
                                     }});
}

// Rotation stays within the banner it started on.
void BannerPlacement::advance(const BannerRenderState& state) {
  setPosition(state.bannerIndex(), (state.activeItemIndex() + 1) % state.items().size(), 0);
}

}  // namespace orvane
