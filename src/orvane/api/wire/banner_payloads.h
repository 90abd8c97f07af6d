#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvane/api/errors.h>

namespace orvane {

// The service's banner records as they arrive.

struct SdkBannerItemPayload {
  std::int64_t id = {};
  std::optional<std::string> mediaAssetId;
  std::string mediaUrl;
  std::int64_t orderIndex = {};
  std::optional<std::string> ctaType;
  std::optional<std::string> ctaUrl;

  bool operator==(const SdkBannerItemPayload&) const = default;
};

// The four layout fields come in a legacy spelling and a current one; both are kept.
struct SdkBannerPayload {
  std::int64_t id = {};
  std::string type;
  std::string placementKey;
  std::int64_t viewOrder = {};
  std::optional<std::int64_t> autoplaySeconds;
  std::optional<std::string> layoutMode;
  std::optional<std::string> aspectRatio;
  std::optional<std::int64_t> fixedHeight;
  std::optional<std::string> contentMode;
  std::optional<std::string> bannerLayoutMode;
  std::optional<std::string> bannerAspectRatio;
  std::optional<std::int64_t> bannerFixedHeight;
  std::optional<std::string> bannerContentMode;
  std::vector<SdkBannerItemPayload> items;

  bool operator==(const SdkBannerPayload&) const = default;
};

struct SdkBannersPayload {
  std::vector<SdkBannerPayload> banners;

  bool operator==(const SdkBannersPayload&) const = default;
};

// Decodes the body of a banners answer; one malformed record fails the whole body.
Result<SdkBannersPayload> decodeBannersPayload(std::string body);

}  // namespace orvane
