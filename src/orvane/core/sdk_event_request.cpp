#include <orvane/core/sdk_event_request.h>

namespace orvane {
namespace {

void putIfPresent(nlohmann::ordered_json& json, const char* key, const std::optional<std::string>& value) {
  if (value) json[key] = *value;
}

}  // namespace

std::string_view wireName(SdkEventType type) {
  switch (type) {
    case SdkEventType::storyGroupImpression:
      return "STORY_GROUP_IMPRESSION";
    case SdkEventType::storyOpen:
      return "STORY_OPEN";
    case SdkEventType::storyItemView:
      return "STORY_ITEM_VIEW";
    case SdkEventType::storyComplete:
      return "STORY_COMPLETE";
    case SdkEventType::ctaClick:
      return "CTA_CLICK";
    case SdkEventType::pollView:
      return "POLL_VIEW";
    case SdkEventType::pollVote:
      return "POLL_VOTE";
    case SdkEventType::quizView:
      return "QUIZ_VIEW";
    case SdkEventType::quizAnswer:
      return "QUIZ_ANSWER";
    case SdkEventType::swipeUp:
      return "SWIPE_UP";
    case SdkEventType::bannerImpression:
      return "BANNER_IMPRESSION";
    case SdkEventType::bannerClick:
      return "BANNER_CLICK";
  }
  return {};
}

void to_json(nlohmann::ordered_json& json, const SdkEventRequest& request) {
  json = nlohmann::ordered_json::object();
  json["appKey"] = request.appKey;
  json["placementKey"] = request.placementKey;
  json["eventType"] = wireName(request.eventType);
  putIfPresent(json, "storyGroupId", request.storyGroupId);
  putIfPresent(json, "storyItemId", request.storyItemId);
  putIfPresent(json, "bannerId", request.bannerId);
  putIfPresent(json, "bannerItemId", request.bannerItemId);
  putIfPresent(json, "anonymousUserId", request.anonymousUserId);
  putIfPresent(json, "sessionId", request.sessionId);
  json["platform"] = request.platform;
  putIfPresent(json, "locale", request.locale);
  putIfPresent(json, "sdkVersion", request.sdkVersion);
  json["occurredAt"] = iso8601String(request.occurredAt);
  json["eventId"] = request.eventId;
}

}  // namespace orvane
