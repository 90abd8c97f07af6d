#include "api/wire/banner_payloads.h"

#include "api/wire/json_reader.h"

namespace orvane {
namespace {

SdkBannerItemPayload decodeItem(const JsonObjectReader& json) {
  return SdkBannerItemPayload{
      json.integer("id"),         json.optionalString("mediaAssetId"), json.string("mediaUrl"),
      json.integer("orderIndex"), json.optionalString("ctaType"),      json.optionalString("ctaUrl"),
  };
}

SdkBannerPayload decodeBanner(const JsonObjectReader& json) {
  return SdkBannerPayload{
      json.integer("id"),
      json.string("type"),
      json.string("placementKey"),
      json.integer("viewOrder"),
      json.optionalInteger("autoplaySeconds"),
      json.optionalString("layoutMode"),
      json.optionalString("aspectRatio"),
      json.optionalInteger("fixedHeight"),
      json.optionalString("contentMode"),
      json.optionalString("bannerLayoutMode"),
      json.optionalString("bannerAspectRatio"),
      json.optionalInteger("bannerFixedHeight"),
      json.optionalString("bannerContentMode"),
      json.objectList("items", decodeItem),
  };
}

}  // namespace

Result<SdkBannersPayload> decodeBannersPayload(std::string_view body) {
  return decodeJsonDocument(body, [](const JsonObjectReader& json) {
    return SdkBannersPayload{json.objectList("banners", decodeBanner)};
  });
}

}  // namespace orvane
