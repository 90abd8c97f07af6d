#include "api/story_api.h"

#include <optional>
#include <utility>

#include "api/banner_cache.h"
#include "api/story_requests.h"
#include "api/wire/banner_mapping.h"
#include "api/wire/story_mapping.h"
#include "api/wire/vote_response_payload.h"
#include "core/main_thread.h"

namespace orvane {
namespace {

template <typename T>
using Completion = std::function<void(Result<T>)>;

template <typename T>
void deliverOnMain(MainQueue& mainQueue, Completion<T> completion, Result<T> result) {
  mainQueue.post([completion = std::move(completion), result = std::move(result)]() mutable {
    if (completion) completion(std::move(result));
  });
}

// An answer that arrives after its SDK is gone has nobody left to tell.
template <typename T>
Completion<T> whileAlive(StorySDK& sdk, Completion<T> completion) {
  return [sdk = sdk.weakHandle(), completion = std::move(completion)](Result<T> result) {
    if (completion && !sdk.expired()) completion(std::move(result));
  };
}

// Checked in this order: the transport, the status (when the answer is HTTP at all), the body.
// An empty body is still a body: it goes on to decoding and fails there.
std::optional<Error> exchangeFailure(const HttpResult& exchange) {
  if (exchange.error) return Error(*exchange.error);
  if (exchange.response) {
    const int status = exchange.response->statusCode;
    if (status < 200 || status > 299) return Error(StoryAPIError::httpStatus(status));
  }
  if (!exchange.data) return Error(StoryAPIError::emptyResponse());
  return std::nullopt;
}

template <typename Decode, typename Map>
auto outcomeOf(const HttpResult& exchange, Decode decode, Map map)
    -> Result<std::invoke_result_t<Map&, decltype(decode(std::string_view()).value())>> {
  if (auto failure = exchangeFailure(exchange)) return *std::move(failure);
  auto payload = decode(*exchange.data);
  if (!payload.ok()) return payload.error();
  return map(payload.value());
}

}  // namespace

StoryAPI::StoryAPI(std::shared_ptr<HttpSession> session, StorySDK& sdk)
    : session_(std::move(session)), sdk_(sdk) {}

void StoryAPI::fetchStories(const std::string& placementKey, Completion<std::vector<StoryGroup>> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(sdk_, std::move(completion));
  auto mainQueue = sdk_.platform().mainQueue;
  const auto& configuration = sdk_.configuration();
  if (!configuration)
    return deliverOnMain<std::vector<StoryGroup>>(*mainQueue, std::move(completion),
                                                  StoryAPIError::notConfigured());

  auto clock = sdk_.platform().clock;
  auto sdk = sdk_.weakHandle();
  session_->send(placementRequest(sdk_, *configuration, placementKey, "stories"),
                 [mainQueue, clock, sdk, placementKey,
                  completion = std::move(completion)](const HttpResult& exchange) mutable {
                   const Date now = clock->now();
                   auto outcome = outcomeOf(
                       exchange, decodeStoriesPayload,
                       [now](const SdkStoriesPayload& payload) { return mapStoryGroups(payload, now); });
                   mainQueue->post([sdk, placementKey, completion = std::move(completion),
                                    outcome = std::move(outcome)]() mutable {
                     auto alive = sdk.lock();
                     if (!alive) return;
                     if (outcome.ok()) alive->rememberPlacementKeys(outcome.value(), placementKey);
                     completion(std::move(outcome));
                   });
                 });
}

void StoryAPI::fetchBanners(const std::string& placementKey, Completion<std::vector<Banner>> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(sdk_, std::move(completion));
  auto mainQueue = sdk_.platform().mainQueue;
  const auto& configuration = sdk_.configuration();
  if (!configuration)
    return deliverOnMain<std::vector<Banner>>(*mainQueue, std::move(completion),
                                              StoryAPIError::notConfigured());

  session_->send(placementRequest(sdk_, *configuration, placementKey, "banners"),
                 [mainQueue, cacheKey = bannerCacheKey(sdk_, *configuration, placementKey),
                  completion = std::move(completion)](const HttpResult& exchange) mutable {
                   auto outcome = outcomeOf(exchange, decodeBannersPayload, mapBanners);
                   if (outcome.ok()) {
                     BannerCache::shared().store(cacheKey, outcome.value());
                   } else if (auto cached = BannerCache::shared().find(cacheKey)) {
                     outcome = *std::move(cached);
                   }
                   deliverOnMain(*mainQueue, std::move(completion), std::move(outcome));
                 });
}

void StoryAPI::recordVote(const std::string& storyItemId, const std::string& optionId,
                          Completion<VoteResponse> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(sdk_, std::move(completion));
  auto mainQueue = sdk_.platform().mainQueue;
  const auto& configuration = sdk_.configuration();
  if (!configuration)
    return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), StoryAPIError::notConfigured());
  if (configuration->isPreviewMode()) {
    return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), VoteResponse(true, optionId, 1));
  }

  auto request = voteRequest(sdk_, *configuration, storyItemId, optionId);
  if (!request)
    return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), StoryAPIError::encodingFailed());
  session_->send(*std::move(request),
                 [mainQueue, completion = std::move(completion)](const HttpResult& exchange) mutable {
                   deliverOnMain(*mainQueue, std::move(completion),
                                 outcomeOf(exchange, decodeVoteResponsePayload, mapVoteResponse));
                 });
}

}  // namespace orvane
