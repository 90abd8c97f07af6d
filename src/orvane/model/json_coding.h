#pragma once

// JSON coding of the model records and their enumerations, for nlohmann::json and
// nlohmann::ordered_json alike (any basic_json whose strings are std::string).
//
// Keys are the field names. Encoding writes the fields in declaration order (kept by
// ordered_json) and leaves out absent optionals; URLs are their text and dates ISO 8601 text.
// Decoding requires every non-optional key, takes a missing or null optional as absent,
// substitutes no defaults and reports every failure as ModelCodingError with the path of the
// offending value. Enumerations are their raw value string.
//
// StoryGroup and StoryTheme have no coding.
//
// Each object is built aside and moved in at the end: a to_json that throws while nlohmann is
// constructing the target would otherwise leak what was written so far.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <orvane/model/banner.h>
#include <orvane/model/coding_error.h>
#include <orvane/model/json_values.h>
#include <orvane/model/story.h>

namespace orvane::model_json {

template <typename Enum, std::optional<Enum> (*FromRawValue)(std::string_view)>
struct RawValueSerializer {
  template <typename Json>
  static void to_json(Json& json, Enum value) {
    json = std::string(rawValue(value));
  }

  template <typename Json>
  static Enum from_json(const Json& json) {
    const std::string& raw = stringOf(json);
    auto value = FromRawValue(raw);
    if (!value) {
      constexpr std::size_t shownLength = 40;
      fail(ModelCodingError::Kind::dataCorrupted, "\"" + raw.substr(0, shownLength) +
                                                      (raw.size() > shownLength ? "...\"" : "\"") +
                                                      " is not one of the raw values");
    }
    return *value;
  }
};

}  // namespace orvane::model_json

namespace nlohmann {

template <>
struct adl_serializer<orvane::StoryMediaType>
    : orvane::model_json::RawValueSerializer<orvane::StoryMediaType, &orvane::storyMediaTypeFromRawValue> {};

template <>
struct adl_serializer<orvane::WidgetType>
    : orvane::model_json::RawValueSerializer<orvane::WidgetType, &orvane::widgetTypeFromRawValue> {};

template <>
struct adl_serializer<orvane::BannerType>
    : orvane::model_json::RawValueSerializer<orvane::BannerType, &orvane::bannerTypeFromRawValue> {};

template <>
struct adl_serializer<orvane::BannerCtaType>
    : orvane::model_json::RawValueSerializer<orvane::BannerCtaType, &orvane::bannerCtaTypeFromRawValue> {};

template <>
struct adl_serializer<orvane::BannerLayoutMode>
    : orvane::model_json::RawValueSerializer<orvane::BannerLayoutMode,
                                             &orvane::bannerLayoutModeFromRawValue> {};

template <>
struct adl_serializer<orvane::BannerContentMode>
    : orvane::model_json::RawValueSerializer<orvane::BannerContentMode,
                                             &orvane::bannerContentModeFromRawValue> {};

template <>
struct adl_serializer<orvane::WidgetUserVote> {
  template <typename Json>
  static void to_json(Json& json, const orvane::WidgetUserVote& vote) {
    using namespace orvane::model_json;
    Json object = Json::object();
    writeField(object, "optionId", vote.optionId());
    writeField(object, "votedAt", vote.votedAt());
    json = std::move(object);
  }

  template <typename Json>
  static orvane::WidgetUserVote from_json(const Json& json) {
    using namespace orvane::model_json;
    expectObject(json);
    // Braced initialisation decodes the keys in order, so the first bad key is the one reported.
    return orvane::WidgetUserVote{readRequired<std::string>(json, "optionId"),
                                  readRequired<orvane::Date>(json, "votedAt")};
  }
};

template <>
struct adl_serializer<orvane::WidgetOption> {
  template <typename Json>
  static void to_json(Json& json, const orvane::WidgetOption& option) {
    using namespace orvane::model_json;
    Json object = Json::object();
    writeField(object, "id", option.id());
    writeField(object, "text", option.text());
    writeOptional(object, "emojiPrefix", option.emojiPrefix());
    writeField(object, "orderIndex", option.orderIndex());
    writeOptional(object, "isCorrect", option.isCorrect());
    writeField(object, "voteCount", option.voteCount());
    json = std::move(object);
  }

  template <typename Json>
  static orvane::WidgetOption from_json(const Json& json) {
    using namespace orvane::model_json;
    expectObject(json);
    return orvane::WidgetOption{
        readRequired<std::string>(json, "id"),          readRequired<std::string>(json, "text"),
        readOptional<std::string>(json, "emojiPrefix"), readRequired<std::int64_t>(json, "orderIndex"),
        readOptional<bool>(json, "isCorrect"),          readRequired<std::int64_t>(json, "voteCount")};
  }
};

template <>
struct adl_serializer<orvane::StoryItem> {
  template <typename Json>
  static void to_json(Json& json, const orvane::StoryItem& item) {
    using namespace orvane::model_json;
    Json object = Json::object();
    writeField(object, "id", item.id());
    writeOptional(object, "title", item.title());
    writeOptional(object, "bodyText", item.bodyText());
    writeOptional(object, "mediaType", item.mediaType());
    writeOptional(object, "mediaURL", item.mediaURL());
    writeField(object, "duration", item.duration());
    writeOptional(object, "ctaTitle", item.ctaTitle());
    writeOptional(object, "ctaURL", item.ctaURL());
    writeField(object, "widgetType", item.widgetType());
    writeOptional(object, "widgetQuestion", item.widgetQuestion());
    writeOptional(object, "swipeCallbackURL", item.swipeCallbackURL());
    writeField(object, "widgetOptions", item.widgetOptions());
    writeOptional(object, "userVote", item.userVote());
    json = std::move(object);
  }

  template <typename Json>
  static orvane::StoryItem from_json(const Json& json) {
    using namespace orvane::model_json;
    using orvane::Url;
    expectObject(json);
    return orvane::StoryItem{readRequired<std::string>(json, "id"),
                             readOptional<std::string>(json, "title"),
                             readOptional<std::string>(json, "bodyText"),
                             readOptional<orvane::StoryMediaType>(json, "mediaType"),
                             readOptional<Url>(json, "mediaURL"),
                             readRequired<double>(json, "duration"),
                             readOptional<std::string>(json, "ctaTitle"),
                             readOptional<Url>(json, "ctaURL"),
                             readRequired<orvane::WidgetType>(json, "widgetType"),
                             readOptional<std::string>(json, "widgetQuestion"),
                             readOptional<Url>(json, "swipeCallbackURL"),
                             readRequired<std::vector<orvane::WidgetOption>>(json, "widgetOptions"),
                             readOptional<orvane::WidgetUserVote>(json, "userVote")};
  }
};

template <>
struct adl_serializer<orvane::BannerItem> {
  template <typename Json>
  static void to_json(Json& json, const orvane::BannerItem& item) {
    using namespace orvane::model_json;
    Json object = Json::object();
    writeField(object, "id", item.id());
    writeOptional(object, "mediaAssetId", item.mediaAssetId());
    writeField(object, "mediaURL", item.mediaURL());
    writeField(object, "orderIndex", item.orderIndex());
    writeField(object, "ctaType", item.ctaType());
    writeOptional(object, "ctaURL", item.ctaURL());
    json = std::move(object);
  }

  template <typename Json>
  static orvane::BannerItem from_json(const Json& json) {
    using namespace orvane::model_json;
    using orvane::Url;
    expectObject(json);
    return orvane::BannerItem{readRequired<std::string>(json, "id"),
                              readOptional<std::string>(json, "mediaAssetId"),
                              readRequired<Url>(json, "mediaURL"),
                              readRequired<std::int64_t>(json, "orderIndex"),
                              readRequired<orvane::BannerCtaType>(json, "ctaType"),
                              readOptional<Url>(json, "ctaURL")};
  }
};

template <>
struct adl_serializer<orvane::Banner> {
  template <typename Json>
  static void to_json(Json& json, const orvane::Banner& banner) {
    using namespace orvane::model_json;
    Json object = Json::object();
    writeField(object, "id", banner.id());
    writeField(object, "type", banner.type());
    writeField(object, "placementKey", banner.placementKey());
    writeField(object, "viewOrder", banner.viewOrder());
    writeField(object, "autoplaySeconds", banner.autoplaySeconds());
    writeField(object, "bannerLayoutMode", banner.bannerLayoutMode());
    writeOptional(object, "bannerAspectRatio", banner.bannerAspectRatio());
    writeOptional(object, "bannerFixedHeight", banner.bannerFixedHeight());
    writeField(object, "bannerContentMode", banner.bannerContentMode());
    writeField(object, "items", banner.items());
    json = std::move(object);
  }

  template <typename Json>
  static orvane::Banner from_json(const Json& json) {
    using namespace orvane::model_json;
    expectObject(json);
    return orvane::Banner{readRequired<std::string>(json, "id"),
                          readRequired<orvane::BannerType>(json, "type"),
                          readRequired<std::string>(json, "placementKey"),
                          readRequired<std::int64_t>(json, "viewOrder"),
                          readRequired<std::int64_t>(json, "autoplaySeconds"),
                          readRequired<orvane::BannerLayoutMode>(json, "bannerLayoutMode"),
                          readOptional<std::string>(json, "bannerAspectRatio"),
                          readOptional<std::int64_t>(json, "bannerFixedHeight"),
                          readRequired<orvane::BannerContentMode>(json, "bannerContentMode"),
                          readRequired<std::vector<orvane::BannerItem>>(json, "items")};
  }
};

}  // namespace nlohmann
