#pragma once

#include <optional>
#include <vector>

#include <orvane/api/wire/banner_payloads.h>
#include <orvane/model/banner.h>

namespace orvane {

// The service's banner records onto the model, keeping the payload order of banners and slides.

std::vector<Banner> mapBanners(const SdkBannersPayload& payload);
// Absent when no slide has a usable image address.
std::optional<Banner> mapBanner(const SdkBannerPayload& payload);

}  // namespace orvane
