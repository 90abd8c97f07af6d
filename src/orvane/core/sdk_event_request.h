#pragma once

#include <orvane/export.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include <orvane/platform/clock.h>

namespace orvane {

// Event types of the service's events endpoint.
enum class SdkEventType {
  storyGroupImpression,
  storyOpen,
  storyItemView,
  storyComplete,
  ctaClick,
  pollView,
  pollVote,
  quizView,
  quizAnswer,
  swipeUp,
  bannerImpression,
  bannerClick,
};

// "STORY_GROUP_IMPRESSION", "STORY_OPEN", ...
ORVANE_EXPORT std::string_view wireName(SdkEventType type);

// Body of one service event. Story events carry group and item ids, banner events banner ids;
// the ids of the other family stay absent and are left out of the JSON.
struct ORVANE_EXPORT SdkEventRequest {
  const std::string appKey;
  const std::string placementKey;
  const SdkEventType eventType;
  const std::optional<std::string> storyGroupId;
  const std::optional<std::string> storyItemId;
  const std::optional<std::string> bannerId;
  const std::optional<std::string> bannerItemId;
  const std::optional<std::string> anonymousUserId;
  const std::optional<std::string> sessionId;
  const std::string platform;
  const std::optional<std::string> locale;
  const std::optional<std::string> sdkVersion;
  const Date occurredAt;
  const std::string eventId;
};

ORVANE_EXPORT void to_json(nlohmann::ordered_json& json, const SdkEventRequest& request);

}  // namespace orvane
