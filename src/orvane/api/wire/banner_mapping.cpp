#include <orvane/api/wire/banner_mapping.h>

#include <string>
#include <string_view>
#include <utility>

#include <orvane/api/wire/lenient_text.h>
#include <orvane/platform/ascii_text.h>

namespace orvane {
namespace {

constexpr std::int64_t kDefaultAutoplaySeconds = 5;

// Service words are matched upper-cased; an absent or unknown word gives `fallback`.
template <typename Enum, typename FromRaw>
Enum serviceWord(std::optional<std::string_view> word, FromRaw fromRawValue, Enum fallback) {
  return word ? fromRawValue(asciiUppercased(std::string(*word))).value_or(fallback) : fallback;
}

// Each layout field reads its legacy key when present, even when the current key says otherwise.
template <typename T>
const std::optional<T>& legacyFirst(const std::optional<T>& legacy, const std::optional<T>& current) {
  return legacy ? legacy : current;
}

std::optional<BannerItem> mapItem(const SdkBannerItemPayload& payload) {
  auto mediaURL = parseMediaURL(payload.mediaUrl);
  if (!mediaURL) return std::nullopt;
  return BannerItem(std::to_string(payload.id), payload.mediaAssetId, *std::move(mediaURL),
                    payload.orderIndex,
                    serviceWord(payload.ctaType, bannerCtaTypeFromRawValue, BannerCtaType::none),
                    parseLinkURL(payload.ctaUrl));
}

}  // namespace

std::optional<Banner> mapBanner(const SdkBannerPayload& payload) {
  std::vector<BannerItem> items;
  items.reserve(payload.items.size());
  for (const auto& item : payload.items) {
    if (auto mapped = mapItem(item)) items.push_back(*std::move(mapped));
  }
  if (items.empty()) return std::nullopt;
  return Banner(std::to_string(payload.id),
                serviceWord(payload.type, bannerTypeFromRawValue, BannerType::static_), payload.placementKey,
                payload.viewOrder, payload.autoplaySeconds.value_or(kDefaultAutoplaySeconds),
                serviceWord(legacyFirst(payload.layoutMode, payload.bannerLayoutMode),
                            bannerLayoutModeFromRawValue, BannerLayoutMode::auto_),
                legacyFirst(payload.aspectRatio, payload.bannerAspectRatio),
                legacyFirst(payload.fixedHeight, payload.bannerFixedHeight),
                serviceWord(legacyFirst(payload.contentMode, payload.bannerContentMode),
                            bannerContentModeFromRawValue, BannerContentMode::cover),
                std::move(items));
}

std::vector<Banner> mapBanners(const SdkBannersPayload& payload) {
  std::vector<Banner> banners;
  banners.reserve(payload.banners.size());
  for (const auto& banner : payload.banners) {
    if (auto mapped = mapBanner(banner)) banners.push_back(*std::move(mapped));
  }
  return banners;
}

}  // namespace orvane
