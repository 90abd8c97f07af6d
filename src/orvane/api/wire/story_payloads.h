#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/platform/clock.h>

namespace orvane {

// The service's story records as they arrive. UUID fields hold the canonical lower-case text
// of a UUID the decoder has validated.

struct SdkThemeResponse {
  std::optional<std::string> id;
  std::optional<std::string> name;
  std::optional<std::string> progressStyle;
  std::optional<std::string> bubbleStyle;
  std::optional<std::string> fontFamily;
  std::optional<std::string> primaryColor;
  std::optional<std::string> secondaryColor;
  std::optional<std::string> ctaStyle;

  bool operator==(const SdkThemeResponse&) const = default;
};

struct SdkMediaAssetPayload {
  std::string mediaType;
  std::string mediaUrl;
  std::optional<std::int64_t> durationSeconds;

  bool operator==(const SdkMediaAssetPayload&) const = default;
};

struct SdkWidgetOptionPayload {
  std::string id;
  std::string text;
  std::optional<std::string> emojiPrefix;
  std::int64_t orderIndex = {};
  std::optional<bool> isCorrect;
  std::optional<std::int64_t> voteCount;

  bool operator==(const SdkWidgetOptionPayload&) const = default;
};

struct SdkWidgetUserVotePayload {
  std::string optionId;
  std::optional<Date> votedAt;

  bool operator==(const SdkWidgetUserVotePayload&) const = default;
};

struct SdkStoryItemPayload {
  std::string id;
  std::string type;
  std::optional<std::string> title;
  std::optional<std::string> bodyText;
  std::optional<std::string> ctaText;
  std::optional<std::string> ctaUrl;
  std::optional<std::int64_t> durationSeconds;
  std::optional<SdkMediaAssetPayload> media;
  std::optional<std::string> widgetType;
  std::optional<std::string> widgetQuestion;
  std::optional<std::string> swipeCallbackUrl;
  std::optional<std::vector<SdkWidgetOptionPayload>> widgetOptions;
  std::optional<SdkWidgetUserVotePayload> userVote;

  bool operator==(const SdkStoryItemPayload&) const = default;
};

struct SdkStoryGroupPayload {
  std::string id;
  std::string title;
  std::optional<std::int64_t> priority;
  std::optional<std::string> startAt;
  std::optional<std::string> endAt;
  std::optional<SdkThemeResponse> theme;
  std::vector<SdkStoryItemPayload> items;

  bool operator==(const SdkStoryGroupPayload&) const = default;
};

struct SdkStoriesPayload {
  std::vector<SdkStoryGroupPayload> groups;

  bool operator==(const SdkStoriesPayload&) const = default;
};

// Decodes the body of a stories answer; one malformed record fails the whole body.
Result<SdkStoriesPayload> decodeStoriesPayload(std::string body);

}  // namespace orvane
