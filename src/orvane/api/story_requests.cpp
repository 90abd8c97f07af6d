#include <orvane/api/story_requests.h>

#include <chrono>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>
#include <vector>

#include <orvane/core/identity_text.h>
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

TransportError unsendable(const std::string& what) {
  return TransportError{TransportError::Code::other,
                        what + " cannot be sent: it is longer than " + std::to_string(kMaxIdentityBytes) +
                            " bytes or holds a control character."};
}

// Refused whole rather than sent without a field: a request without the user's id would act
// for no one, or for the anonymous user instead.
std::optional<TransportError> setServiceHeaders(HttpRequest& request, const StorySession& session,
                                                const StoryConfiguration& configuration) {
  const std::pair<const char*, std::optional<std::string>> fields[] = {
      {"X-Zephro-SDK-Key", configuration.sdkKey()},
      {"X-Zephro-AppId", session.resolvedAppId()},
      {"X-Zephro-BundleId", session.resolvedBundleId()},
      {"X-Zephro-UserId", session.resolvedUserId()},
  };
  for (const auto& [name, value] : fields) {
    if (!value) continue;
    if (!isSendableIdentity(*value)) return unsendable("Header field '" + std::string(name) + "'");
    request.setHeader(name, *value);
  }
  return std::nullopt;
}

// Keys in this order; absent identity fields are left out rather than written as null.
std::optional<std::string> voteRequestBody(const StorySession& session, const std::string& optionId) {
  nlohmann::ordered_json body;
  body["optionId"] = optionId;
  if (auto appId = session.resolvedAppId()) body["appId"] = *std::move(appId);
  if (auto bundleId = session.resolvedBundleId()) body["bundleId"] = *std::move(bundleId);
  if (auto userId = session.resolvedUserId()) body["userId"] = *std::move(userId);
  try {
    return body.dump();
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

}  // namespace

Result<HttpRequest> placementRequest(const StorySession& session, const StoryConfiguration& configuration,
                                     const std::string& placementKey, const std::string& resource) {
  const Url path = servicePath(
      configuration, {"sdk", "v1", "apps", configuration.appKey(), "placements", placementKey, resource});
  HttpRequest request{path.withQueryItems(contentQueryItems(session.platform(), configuration)),
                      "GET",
                      {},
                      std::nullopt,
                      kTimeout,
                      kMaxContentAnswerBytes};
  if (auto refused = setServiceHeaders(request, session, configuration)) return *std::move(refused);
  return request;
}

Result<HttpRequest> voteRequest(const StorySession& session, const StoryConfiguration& configuration,
                                const std::string& storyItemId, const std::string& optionId) {
  // The item id also names the vote this device remembers, which must be readable again.
  if (!isSendableIdentity(storyItemId)) return unsendable("The story item id");
  auto body = voteRequestBody(session, optionId);
  if (!body) return StoryAPIError::encodingFailed();
  HttpRequest request{servicePath(configuration, {"sdk", "v1", "apps", configuration.appKey(), "story-items",
                                                  storyItemId, "vote"}),
                      "POST",
                      {},
                      std::move(body),
                      kTimeout,
                      kMaxVoteAnswerBytes};
  request.setHeader("Content-Type", "application/json");
  if (auto refused = setServiceHeaders(request, session, configuration)) return *std::move(refused);
  return request;
}

}  // namespace orvane
