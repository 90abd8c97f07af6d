#include <orvane/model/banner.h>

#include <orvane/model/raw_value_table.h>

namespace orvane {
namespace {

constexpr RawValueTable<BannerType, 3> kTypes({{
    {BannerType::static_, "STATIC"},
    {BannerType::carousel, "CAROUSEL"},
    {BannerType::story, "STORY"},
}});

constexpr RawValueTable<BannerCtaType, 5> kCtaTypes({{
    {BannerCtaType::externalURL, "EXTERNAL_URL"},
    {BannerCtaType::deepLink, "DEEP_LINK"},
    {BannerCtaType::internalRoute, "INTERNAL_ROUTE"},
    {BannerCtaType::customEvent, "CUSTOM_EVENT"},
    {BannerCtaType::none, "NONE"},
}});

constexpr RawValueTable<BannerLayoutMode, 3> kLayoutModes({{
    {BannerLayoutMode::auto_, "AUTO"},
    {BannerLayoutMode::aspectRatio, "ASPECT_RATIO"},
    {BannerLayoutMode::fixedHeight, "FIXED_HEIGHT"},
}});

constexpr RawValueTable<BannerContentMode, 2> kContentModes({{
    {BannerContentMode::cover, "COVER"},
    {BannerContentMode::fit, "FIT"},
}});

}  // namespace

std::string_view rawValue(BannerType type) { return kTypes.rawValue(type); }
std::string_view rawValue(BannerCtaType type) { return kCtaTypes.rawValue(type); }
std::string_view rawValue(BannerLayoutMode mode) { return kLayoutModes.rawValue(mode); }
std::string_view rawValue(BannerContentMode mode) { return kContentModes.rawValue(mode); }
std::optional<BannerType> bannerTypeFromRawValue(std::string_view raw) { return kTypes.fromRawValue(raw); }
std::optional<BannerCtaType> bannerCtaTypeFromRawValue(std::string_view raw) {
  return kCtaTypes.fromRawValue(raw);
}
std::optional<BannerLayoutMode> bannerLayoutModeFromRawValue(std::string_view raw) {
  return kLayoutModes.fromRawValue(raw);
}
std::optional<BannerContentMode> bannerContentModeFromRawValue(std::string_view raw) {
  return kContentModes.fromRawValue(raw);
}

}  // namespace orvane
