#include <orvane/api/wire/banner_payloads.h>

#include <orvane/api/wire/json_reader.h>

namespace orvane {
namespace {

// Each decoder walks its object's fields in document order and then checks that the required
// ones came (bit i of `seen` for the i-th required key).

SdkBannerItemPayload decodeItem(JsonObjectReader& json) {
  SdkBannerItemPayload item;
  std::bitset<3> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      item.id = value.integer();
      seen.set(0);
    } else if (key == "mediaAssetId") {
      item.mediaAssetId = value.optionalString();
    } else if (key == "mediaUrl") {
      item.mediaUrl = value.string();
      seen.set(1);
    } else if (key == "orderIndex") {
      item.orderIndex = value.integer();
      seen.set(2);
    } else if (key == "ctaType") {
      item.ctaType = value.optionalString();
    } else if (key == "ctaUrl") {
      item.ctaUrl = value.optionalString();
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"id", "mediaUrl", "orderIndex"});
  return item;
}

SdkBannerPayload decodeBanner(JsonObjectReader& json) {
  SdkBannerPayload banner;
  std::bitset<5> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      banner.id = value.integer();
      seen.set(0);
    } else if (key == "type") {
      banner.type = value.string();
      seen.set(1);
    } else if (key == "placementKey") {
      banner.placementKey = value.string();
      seen.set(2);
    } else if (key == "viewOrder") {
      banner.viewOrder = value.integer();
      seen.set(3);
    } else if (key == "autoplaySeconds") {
      banner.autoplaySeconds = value.optionalInteger();
    } else if (key == "layoutMode") {
      banner.layoutMode = value.optionalString();
    } else if (key == "aspectRatio") {
      banner.aspectRatio = value.optionalString();
    } else if (key == "fixedHeight") {
      banner.fixedHeight = value.optionalInteger();
    } else if (key == "contentMode") {
      banner.contentMode = value.optionalString();
    } else if (key == "bannerLayoutMode") {
      banner.bannerLayoutMode = value.optionalString();
    } else if (key == "bannerAspectRatio") {
      banner.bannerAspectRatio = value.optionalString();
    } else if (key == "bannerFixedHeight") {
      banner.bannerFixedHeight = value.optionalInteger();
    } else if (key == "bannerContentMode") {
      banner.bannerContentMode = value.optionalString();
    } else if (key == "items") {
      banner.items = value.objectList(decodeItem);
      seen.set(4);
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"id", "type", "placementKey", "viewOrder", "items"});
  return banner;
}

}  // namespace

Result<SdkBannersPayload> decodeBannersPayload(std::string body) {
  return decodeJsonDocument(std::move(body), [](JsonObjectReader& json) {
    SdkBannersPayload banners;
    std::bitset<1> seen;
    json.forEachField([&](std::string_view key, JsonValueReader& value) {
      if (key != "banners") return false;
      banners.banners = value.objectList(decodeBanner);
      seen.set(0);
      return true;
    });
    json.requireKeys(seen, {"banners"});
    return banners;
  });
}

}  // namespace orvane
