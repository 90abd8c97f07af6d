#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/errors.h"

namespace orvane {

// The service's banner records as they arrive.

struct SdkBannerItemPayload {
  const std::int64_t id;
  const std::optional<std::string> mediaAssetId;
  const std::string mediaUrl;
  const std::int64_t orderIndex;
  const std::optional<std::string> ctaType;
  const std::optional<std::string> ctaUrl;

  bool operator==(const SdkBannerItemPayload&) const = default;
};

// The four layout fields come in a legacy spelling and a current one; both are kept.
struct SdkBannerPayload {
  const std::int64_t id;
  const std::string type;
  const std::string placementKey;
  const std::int64_t viewOrder;
  const std::optional<std::int64_t> autoplaySeconds;
  const std::optional<std::string> layoutMode;
  const std::optional<std::string> aspectRatio;
  const std::optional<std::int64_t> fixedHeight;
  const std::optional<std::string> contentMode;
  const std::optional<std::string> bannerLayoutMode;
  const std::optional<std::string> bannerAspectRatio;
  const std::optional<std::int64_t> bannerFixedHeight;
  const std::optional<std::string> bannerContentMode;
  const std::vector<SdkBannerItemPayload> items;

  bool operator==(const SdkBannerPayload&) const = default;
};

struct SdkBannersPayload {
  const std::vector<SdkBannerPayload> banners;

  bool operator==(const SdkBannersPayload&) const = default;
};

// Decodes the body of a banners answer; one malformed record fails the whole body.
Result<SdkBannersPayload> decodeBannersPayload(std::string_view body);

}  // namespace orvane
