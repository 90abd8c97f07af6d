#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/banners/banner_render_state.h>
#include <orvane/model/banner.h>

namespace orvane {

// The most slides one banner shows; the rest are never offered, even when some shown ones fail.
inline constexpr std::size_t kMaxBannerSlides = 10;

// Names a slide in a placement's set of failed slides: banner id ":" item id, no escaping.
ORVANE_EXPORT std::string bannerItemKey(const std::string& bannerId, const std::string& itemId);

// Which banners and slides a placement can show, given its banners and its failed slides.
// A read-only view over state owned elsewhere; build one per question, do not keep it.
class ORVANE_EXPORT BannerLineup {
 public:
  BannerLineup(const std::vector<Banner>& banners, const std::set<std::string>& invalidItemKeys)
      : banners_(banners), invalidItemKeys_(invalidItemKeys) {}

  // Sorted by orderIndex, then by id in plain text order; the first kMaxBannerSlides; failed
  // ones dropped. May be empty.
  std::vector<BannerItem> visibleItems(const Banner& banner) const;

  // The first banner from activeBannerIndex on (an index past the end means the last banner)
  // that has a visible slide, and the slide at activeItemIndex clamped into those slides.
  std::optional<BannerRenderState> renderState(std::size_t activeBannerIndex,
                                               std::size_t activeItemIndex) const;

  // The nearest banner after (before) the first one with that id that has visible slides; no
  // wrap-around, and absent when the id is unknown.
  std::optional<std::size_t> nextBannerIndex(const std::string& bannerId) const;
  std::optional<std::size_t> previousBannerIndex(const std::string& bannerId) const;
  std::optional<std::size_t> firstBannerIndexWithItems() const;
  std::optional<std::size_t> lastBannerIndexWithItems() const;

 private:
  std::optional<std::size_t> indexOf(const std::string& bannerId) const;
  bool hasVisibleItems(std::size_t index) const { return !visibleItems(banners_[index]).empty(); }

  const std::vector<Banner>& banners_;
  const std::set<std::string>& invalidItemKeys_;
};

}  // namespace orvane
