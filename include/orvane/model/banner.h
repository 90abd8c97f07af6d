#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvane/platform/url.h>

namespace orvane {

// One picture, slides that page by themselves, or slides shown like a story's pages.
enum class BannerType { static_, carousel, story };
// What a tap on a slide does: open a web link, a deep link, a route of the app, report a custom
// event, or nothing.
enum class BannerCtaType { externalURL, deepLink, internalRoute, customEvent, none };
// How tall a banner is: its picture's own shape, a given aspect ratio, or a fixed height.
enum class BannerLayoutMode { auto_, aspectRatio, fixedHeight };
// Whether pictures fill the banner (cropped) or fit inside it (letterboxed).
enum class BannerContentMode { cover, fit };

// Raw values are the service's upper-case words; reading one back is exact and case-sensitive.
//@{
ORVANE_EXPORT std::string_view rawValue(BannerType type);
ORVANE_EXPORT std::string_view rawValue(BannerCtaType type);
ORVANE_EXPORT std::string_view rawValue(BannerLayoutMode mode);
ORVANE_EXPORT std::string_view rawValue(BannerContentMode mode);
ORVANE_EXPORT std::optional<BannerType> bannerTypeFromRawValue(std::string_view raw);
ORVANE_EXPORT std::optional<BannerCtaType> bannerCtaTypeFromRawValue(std::string_view raw);
ORVANE_EXPORT std::optional<BannerLayoutMode> bannerLayoutModeFromRawValue(std::string_view raw);
ORVANE_EXPORT std::optional<BannerContentMode> bannerContentModeFromRawValue(std::string_view raw);
//@}

// One slide of a banner.
//
// \code
// for (const auto& slide : banner.items())
//   if (slide.ctaType() != BannerCtaType::none && slide.ctaURL()) links.push_back(*slide.ctaURL());
// \endcode
class ORVANE_EXPORT BannerItem {
 public:
  // As decoded from the service's answer.
  BannerItem(std::string id, std::optional<std::string> mediaAssetId, Url mediaURL, std::int64_t orderIndex,
             BannerCtaType ctaType, std::optional<Url> ctaURL)
      : id_(std::move(id)),
        mediaAssetId_(std::move(mediaAssetId)),
        mediaURL_(std::move(mediaURL)),
        orderIndex_(orderIndex),
        ctaType_(ctaType),
        ctaURL_(std::move(ctaURL)) {}

  // The slide's id.
  const std::string& id() const { return id_; }
  // Informational only.
  const std::optional<std::string>& mediaAssetId() const { return mediaAssetId_; }
  // The slide's picture, its place among the slides, and what a tap on it does.
  //@{
  const Url& mediaURL() const { return mediaURL_; }
  std::int64_t orderIndex() const { return orderIndex_; }
  BannerCtaType ctaType() const { return ctaType_; }
  //@}
  // Target of a tap for the link types.
  const std::optional<Url>& ctaURL() const { return ctaURL_; }

  // Field by field.
  bool operator==(const BannerItem&) const = default;

 private:
  std::string id_;
  std::optional<std::string> mediaAssetId_;
  Url mediaURL_;
  std::int64_t orderIndex_;
  BannerCtaType ctaType_;
  std::optional<Url> ctaURL_;
};

// A banner of a placement, with its slides.
//
// \code
// api.fetchBanners("home_banner", [](Result<std::vector<Banner>> banners) {
//   if (banners) for (const auto& banner : banners.value()) show(banner.id(), banner.items().size());
// });
// \endcode
class ORVANE_EXPORT Banner {
 public:
  // As decoded from the service's answer.
  Banner(std::string id, BannerType type, std::string placementKey, std::int64_t viewOrder,
         std::int64_t autoplaySeconds, BannerLayoutMode bannerLayoutMode,
         std::optional<std::string> bannerAspectRatio, std::optional<std::int64_t> bannerFixedHeight,
         BannerContentMode bannerContentMode, std::vector<BannerItem> items)
      : id_(std::move(id)),
        type_(type),
        placementKey_(std::move(placementKey)),
        viewOrder_(viewOrder),
        autoplaySeconds_(autoplaySeconds),
        bannerLayoutMode_(bannerLayoutMode),
        bannerAspectRatio_(std::move(bannerAspectRatio)),
        bannerFixedHeight_(bannerFixedHeight),
        bannerContentMode_(bannerContentMode),
        items_(std::move(items)) {}

  // The banner's id, kind and placement.
  //@{
  const std::string& id() const { return id_; }
  BannerType type() const { return type_; }
  const std::string& placementKey() const { return placementKey_; }
  //@}
  // As set on the service; banners are shown in the order received, not sorted by this.
  std::int64_t viewOrder() const { return viewOrder_; }
  // Seconds a carousel shows each slide; 0: it does not page by itself.
  std::int64_t autoplaySeconds() const { return autoplaySeconds_; }
  // How its height is chosen.
  BannerLayoutMode bannerLayoutMode() const { return bannerLayoutMode_; }
  // Used by the aspect-ratio layout, e.g. "16:9".
  const std::optional<std::string>& bannerAspectRatio() const { return bannerAspectRatio_; }
  // Used by the fixed-height layout.
  std::optional<std::int64_t> bannerFixedHeight() const { return bannerFixedHeight_; }
  // How pictures sit in it.
  BannerContentMode bannerContentMode() const { return bannerContentMode_; }
  // Slides in display order; may be empty.
  const std::vector<BannerItem>& items() const { return items_; }

  // Field by field.
  bool operator==(const Banner&) const = default;

 private:
  std::string id_;
  BannerType type_;
  std::string placementKey_;
  std::int64_t viewOrder_;
  std::int64_t autoplaySeconds_;
  BannerLayoutMode bannerLayoutMode_;
  std::optional<std::string> bannerAspectRatio_;
  std::optional<std::int64_t> bannerFixedHeight_;
  BannerContentMode bannerContentMode_;
  std::vector<BannerItem> items_;
};

}  // namespace orvane
