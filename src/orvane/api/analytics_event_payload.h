#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include <orvane/platform/clock.h>

namespace orvane {

// Body of one record of the per-app analytics endpoint.
struct AnalyticsEventPayload {
  const std::string placementKey;
  const std::optional<std::string> storyGroupId;
  const std::optional<std::string> storyItemId;
  const std::string eventType;
  const std::string devicePlatform;
  const std::optional<std::string> userLanguage;
  const std::optional<std::string> country;
  const std::optional<std::string> deviceId;
  const std::optional<std::string> sessionId;
  const Date occurredAt;
};

void to_json(nlohmann::ordered_json& json, const AnalyticsEventPayload& payload);

}  // namespace orvane
