#include <orvane/banners/banner_lineup.h>

#include <algorithm>

namespace orvane {

std::string bannerItemKey(const std::string& bannerId, const std::string& itemId) {
  return bannerId + ":" + itemId;
}

std::vector<BannerItem> BannerLineup::visibleItems(const Banner& banner) const {
  std::vector<BannerItem> items = banner.items();
  std::sort(items.begin(), items.end(), [](const BannerItem& a, const BannerItem& b) {
    if (a.orderIndex() != b.orderIndex()) return a.orderIndex() < b.orderIndex();
    return a.id() < b.id();
  });
  // The cap comes first: a failed slide among the first ten must not let an eleventh one in.
  if (items.size() > kMaxBannerSlides) items.erase(items.begin() + kMaxBannerSlides, items.end());
  std::erase_if(items, [&](const BannerItem& item) {
    return invalidItemKeys_.count(bannerItemKey(banner.id(), item.id())) > 0;
  });
  return items;
}

std::optional<BannerRenderState> BannerLineup::renderState(std::size_t activeBannerIndex,
                                                           std::size_t activeItemIndex) const {
  if (banners_.empty()) return std::nullopt;
  for (std::size_t index = std::min(banners_.size() - 1, activeBannerIndex); index < banners_.size();
       ++index) {
    auto items = visibleItems(banners_[index]);
    if (items.empty()) continue;
    const std::size_t itemIndex = std::min(items.size() - 1, activeItemIndex);
    BannerItem item = items[itemIndex];
    return BannerRenderState(banners_[index], index, std::move(items), itemIndex, std::move(item));
  }
  return std::nullopt;
}

std::optional<std::size_t> BannerLineup::indexOf(const std::string& bannerId) const {
  const auto found = std::find_if(banners_.begin(), banners_.end(),
                                  [&](const Banner& banner) { return banner.id() == bannerId; });
  if (found == banners_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - banners_.begin());
}

std::optional<std::size_t> BannerLineup::nextBannerIndex(const std::string& bannerId) const {
  const auto start = indexOf(bannerId);
  if (!start) return std::nullopt;
  for (std::size_t index = *start + 1; index < banners_.size(); ++index) {
    if (hasVisibleItems(index)) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> BannerLineup::previousBannerIndex(const std::string& bannerId) const {
  const auto start = indexOf(bannerId);
  if (!start) return std::nullopt;
  for (std::size_t index = *start; index-- > 0;) {
    if (hasVisibleItems(index)) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> BannerLineup::firstBannerIndexWithItems() const {
  for (std::size_t index = 0; index < banners_.size(); ++index) {
    if (hasVisibleItems(index)) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> BannerLineup::lastBannerIndexWithItems() const {
  for (std::size_t index = banners_.size(); index-- > 0;) {
    if (hasVisibleItems(index)) return index;
  }
  return std::nullopt;
}

}  // namespace orvane
