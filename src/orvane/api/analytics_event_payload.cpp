#include <orvane/api/analytics_event_payload.h>

namespace orvane {
namespace {

void putIfPresent(nlohmann::ordered_json& json, const char* key, const std::optional<std::string>& value) {
  if (value) json[key] = *value;
}

}  // namespace

void to_json(nlohmann::ordered_json& json, const AnalyticsEventPayload& payload) {
  json = nlohmann::ordered_json::object();
  json["placementKey"] = payload.placementKey;
  putIfPresent(json, "storyGroupId", payload.storyGroupId);
  putIfPresent(json, "storyItemId", payload.storyItemId);
  json["eventType"] = payload.eventType;
  json["devicePlatform"] = payload.devicePlatform;
  putIfPresent(json, "userLanguage", payload.userLanguage);
  putIfPresent(json, "country", payload.country);
  putIfPresent(json, "deviceId", payload.deviceId);
  putIfPresent(json, "sessionId", payload.sessionId);
  json["occurredAt"] = iso8601String(payload.occurredAt);
}

}  // namespace orvane
