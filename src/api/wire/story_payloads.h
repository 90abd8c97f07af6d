#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "api/errors.h"
#include "platform/clock.h"

namespace orvane {

// The service's story records as they arrive. UUID fields hold the canonical lower-case text
// of a UUID the decoder has validated.

struct SdkThemeResponse {
  const std::optional<std::string> id;
  const std::optional<std::string> name;
  const std::optional<std::string> progressStyle;
  const std::optional<std::string> bubbleStyle;
  const std::optional<std::string> fontFamily;
  const std::optional<std::string> primaryColor;
  const std::optional<std::string> secondaryColor;
  const std::optional<std::string> ctaStyle;

  bool operator==(const SdkThemeResponse&) const = default;
};

struct SdkMediaAssetPayload {
  const std::string mediaType;
  const std::string mediaUrl;
  const std::optional<std::int64_t> durationSeconds;

  bool operator==(const SdkMediaAssetPayload&) const = default;
};

struct SdkWidgetOptionPayload {
  const std::string id;
  const std::string text;
  const std::optional<std::string> emojiPrefix;
  const std::int64_t orderIndex;
  const std::optional<bool> isCorrect;
  const std::optional<std::int64_t> voteCount;

  bool operator==(const SdkWidgetOptionPayload&) const = default;
};

struct SdkWidgetUserVotePayload {
  const std::string optionId;
  const std::optional<Date> votedAt;

  bool operator==(const SdkWidgetUserVotePayload&) const = default;
};

struct SdkStoryItemPayload {
  const std::string id;
  const std::string type;
  const std::optional<std::string> title;
  const std::optional<std::string> bodyText;
  const std::optional<std::string> ctaText;
  const std::optional<std::string> ctaUrl;
  const std::optional<std::int64_t> durationSeconds;
  const std::optional<SdkMediaAssetPayload> media;
  const std::optional<std::string> widgetType;
  const std::optional<std::string> widgetQuestion;
  const std::optional<std::string> swipeCallbackUrl;
  const std::optional<std::vector<SdkWidgetOptionPayload>> widgetOptions;
  const std::optional<SdkWidgetUserVotePayload> userVote;

  bool operator==(const SdkStoryItemPayload&) const = default;
};

struct SdkStoryGroupPayload {
  const std::string id;
  const std::string title;
  const std::optional<std::int64_t> priority;
  const std::optional<std::string> startAt;
  const std::optional<std::string> endAt;
  const std::optional<SdkThemeResponse> theme;
  const std::vector<SdkStoryItemPayload> items;

  bool operator==(const SdkStoryGroupPayload&) const = default;
};

struct SdkStoriesPayload {
  const std::vector<SdkStoryGroupPayload> groups;

  bool operator==(const SdkStoriesPayload&) const = default;
};

// Decodes the body of a stories answer; one malformed record fails the whole body.
Result<SdkStoriesPayload> decodeStoriesPayload(std::string_view body);

}  // namespace orvane
