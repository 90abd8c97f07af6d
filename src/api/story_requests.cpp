#include <orvane/api/story_requests.h>

#include <chrono>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>
#include <vector>

#include <orvane/core/locale_tags.h>
#include <orvane/core/sdk_version.h>

namespace orvane {
namespace {

constexpr std::chrono::seconds kTimeout{60};

Url servicePath(const StoryConfiguration& configuration, std::initializer_list<std::string_view> segments) {
  Url url = baseURL(configuration.environment());
  for (auto segment : segments) url = url.appendingPathComponent(segment);
  return url;
}

std::vector<std::pair<std::string, std::string>> contentQueryItems(const Platform& platform,
                                                                   const StoryConfiguration& configuration) {
  const std::pair<const char*, std::optional<std::string>> candidates[] = {
      {"environment", serviceName(configuration.environment())},
      {"locale", requestLocale(*platform.locale)},
      {"platform", std::string(SDK_PLATFORM)},
      {"sdkVersion", std::string(SDK_VERSION)},
      {"deviceId", platform.device->identifierForVendor()},
      {"country", requestCountry(*platform.locale)},
      {"appVersion", platform.bundle->shortVersionString()},
  };
  std::vector<std::pair<std::string, std::string>> items;
  for (const auto& [name, value] : candidates) {
    if (value && !value->empty()) items.emplace_back(name, *value);
  }
  return items;
}

void setServiceHeaders(HttpRequest& request, const StorySDK& sdk, const StoryConfiguration& configuration) {
  request.setHeader("X-Zephro-SDK-Key", configuration.sdkKey());
  if (auto appId = sdk.resolvedAppId()) request.setHeader("X-Zephro-AppId", *std::move(appId));
  if (auto bundleId = sdk.resolvedBundleId()) request.setHeader("X-Zephro-BundleId", *std::move(bundleId));
  if (auto userId = sdk.resolvedUserId()) request.setHeader("X-Zephro-UserId", *std::move(userId));
}

// Keys in this order; absent identity fields are left out rather than written as null.
std::optional<std::string> voteRequestBody(const StorySDK& sdk, const std::string& optionId) {
  nlohmann::ordered_json body;
  body["optionId"] = optionId;
  if (auto appId = sdk.resolvedAppId()) body["appId"] = *std::move(appId);
  if (auto bundleId = sdk.resolvedBundleId()) body["bundleId"] = *std::move(bundleId);
  if (auto userId = sdk.resolvedUserId()) body["userId"] = *std::move(userId);
  try {
    return body.dump();
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

}  // namespace

HttpRequest placementRequest(const StorySDK& sdk, const StoryConfiguration& configuration,
                             const std::string& placementKey, const std::string& resource) {
  const Url path = servicePath(
      configuration, {"sdk", "v1", "apps", configuration.appKey(), "placements", placementKey, resource});
  HttpRequest request{path.withQueryItems(contentQueryItems(sdk.platform(), configuration)),
                      "GET",
                      {},
                      std::nullopt,
                      kTimeout,
                      kMaxContentAnswerBytes};
  setServiceHeaders(request, sdk, configuration);
  return request;
}

std::optional<HttpRequest> voteRequest(const StorySDK& sdk, const StoryConfiguration& configuration,
                                       const std::string& storyItemId, const std::string& optionId) {
  auto body = voteRequestBody(sdk, optionId);
  if (!body) return std::nullopt;
  HttpRequest request{servicePath(configuration, {"sdk", "v1", "apps", configuration.appKey(), "story-items",
                                                  storyItemId, "vote"}),
                      "POST",
                      {},
                      std::move(body),
                      kTimeout,
                      kMaxVoteAnswerBytes};
  request.setHeader("Content-Type", "application/json");
  setServiceHeaders(request, sdk, configuration);
  return request;
}

}  // namespace orvane
