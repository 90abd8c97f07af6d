#include "api/wire/story_payloads.h"

#include "api/wire/json_reader.h"

namespace orvane {
namespace {

SdkThemeResponse decodeTheme(const JsonObjectReader& json) {
  return SdkThemeResponse{
      json.optionalString("id"),
      json.optionalString("name"),
      json.optionalString("progressStyle"),
      json.optionalString("bubbleStyle"),
      json.optionalString("fontFamily"),
      json.optionalString("primaryColor"),
      json.optionalString("secondaryColor"),
      json.optionalString("ctaStyle"),
  };
}

SdkMediaAssetPayload decodeMedia(const JsonObjectReader& json) {
  return SdkMediaAssetPayload{json.string("mediaType"), json.string("mediaUrl"),
                              json.optionalInteger("durationSeconds")};
}

SdkWidgetOptionPayload decodeOption(const JsonObjectReader& json) {
  return SdkWidgetOptionPayload{
      json.uuid("id"),
      json.string("text"),
      json.optionalString("emojiPrefix"),
      json.integer("orderIndex"),
      json.optionalBoolean("isCorrect"),
      json.optionalInteger("voteCount"),
  };
}

SdkWidgetUserVotePayload decodeUserVote(const JsonObjectReader& json) {
  return SdkWidgetUserVotePayload{json.uuid("optionId"), json.optionalDate("votedAt")};
}

SdkStoryItemPayload decodeItem(const JsonObjectReader& json) {
  return SdkStoryItemPayload{
      json.uuid("id"),
      json.string("type"),
      json.optionalString("title"),
      json.optionalString("bodyText"),
      json.optionalString("ctaText"),
      json.optionalString("ctaUrl"),
      json.optionalInteger("durationSeconds"),
      json.optionalObject("media", decodeMedia),
      json.optionalString("widgetType"),
      json.optionalString("widgetQuestion"),
      json.optionalString("swipeCallbackUrl"),
      json.optionalObjectList("widgetOptions", decodeOption),
      json.optionalObject("userVote", decodeUserVote),
  };
}

SdkStoryGroupPayload decodeGroup(const JsonObjectReader& json) {
  return SdkStoryGroupPayload{
      json.uuid("id"),
      json.string("title"),
      json.optionalInteger("priority"),
      json.optionalString("startAt"),
      json.optionalString("endAt"),
      json.optionalObject("theme", decodeTheme),
      json.objectList("items", decodeItem),
  };
}

}  // namespace

Result<SdkStoriesPayload> decodeStoriesPayload(std::string_view body) {
  return decodeJsonDocument(body, [](const JsonObjectReader& json) {
    return SdkStoriesPayload{json.objectList("groups", decodeGroup)};
  });
}

}  // namespace orvane
