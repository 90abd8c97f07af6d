#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <utility>
#include <vector>

#include <orvane/model/banner.h>

namespace orvane {

// What a banner placement shows right now; derived from its state on every read, never stored.
class ORVANE_EXPORT BannerRenderState {
 public:
  BannerRenderState(Banner banner, std::size_t bannerIndex, std::vector<BannerItem> items,
                    std::size_t activeItemIndex, BannerItem item)
      : banner_(std::move(banner)),
        bannerIndex_(bannerIndex),
        items_(std::move(items)),
        activeItemIndex_(activeItemIndex),
        item_(std::move(item)) {}

  const Banner& banner() const { return banner_; }
  // Index of banner() among the placement's banners.
  std::size_t bannerIndex() const { return bannerIndex_; }
  // The banner's visible slides; never empty.
  const std::vector<BannerItem>& items() const { return items_; }
  // Always a valid index into items().
  std::size_t activeItemIndex() const { return activeItemIndex_; }
  // items()[activeItemIndex()].
  const BannerItem& item() const { return item_; }

  bool operator==(const BannerRenderState&) const = default;

 private:
  Banner banner_;
  std::size_t bannerIndex_;
  std::vector<BannerItem> items_;
  std::size_t activeItemIndex_;
  BannerItem item_;
};

}  // namespace orvane
