#include <orvane/api/story_api.h>

#include <optional>
#include <utility>

#include <orvane/api/banner_cache.h>
#include <orvane/api/placement_answers.h>
#include <orvane/api/story_requests.h>
#include <orvane/api/wire/banner_mapping.h>
#include <orvane/api/wire/story_mapping.h>
#include <orvane/api/wire/vote_response_payload.h>
#include <orvane/core/main_thread.h>
#include <orvane/platform/worker_pool.h>
#include <orvane/storage/cache_folders.h>

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

// An answer that arrives after its session is gone has nobody left to tell.
template <typename T>
Completion<T> whileAlive(StorySession& session, Completion<T> completion) {
  return [session = session.weakHandle(), completion = std::move(completion)](Result<T> result) {
    if (completion && !session.expired()) completion(std::move(result));
  };
}

// Checked in this order: the transport, the status (when the answer is HTTP at all), the body.
// An empty body is still a body: it goes on to decoding and fails there. The size cap is checked
// again here for sessions that do not honour the request's.
std::optional<Error> exchangeFailure(const HttpResult& exchange, std::size_t maxBytes) {
  if (exchange.error) return Error(*exchange.error);
  if (exchange.response) {
    const int status = exchange.response->statusCode;
    if (status < 200 || status > 299) return Error(StoryAPIError::httpStatus(status));
  }
  if (!exchange.data) return Error(StoryAPIError::emptyResponse());
  if (exchange.data->size() > maxBytes) {
    return Error(TransportError{TransportError::Code::tooLarge,
                                "The response is larger than " + std::to_string(maxBytes) + " bytes."});
  }
  return std::nullopt;
}

template <typename Decode, typename Map>
auto outcomeOf(HttpResult exchange, std::size_t maxBytes, Decode decode, Map map)
    -> Result<std::invoke_result_t<Map&, decltype(decode(std::string()).value())>> {
  if (auto failure = exchangeFailure(exchange, maxBytes)) return *std::move(failure);
  auto payload = decode(*std::move(exchange.data));
  if (!payload.ok()) return payload.error();
  return map(std::move(payload).value());
}

// The service could not be reached, as opposed to answering something unwanted (a 4xx, a body
// that does not decode): only then does the last good answer stand in.
bool serviceUnreachable(const HttpResult& exchange) {
  if (exchange.error) return exchange.error->code != TransportError::Code::cancelled;
  return exchange.response && exchange.response->statusCode >= 500;
}

// outcomeOf for a placement: a good answer is kept, and while the service cannot be reached the
// last kept one stands in (unless told otherwise), decoded and mapped as if it had just arrived.
template <typename Decode, typename Map>
auto placementOutcome(HttpResult exchange, const PlacementAnswers& answers, const std::string& answerKey,
                      Decode decode, Map map, bool keptMayStandIn = true) {
  const bool unreachable = serviceUnreachable(exchange);
  std::optional<std::string> answer = exchange.error ? std::nullopt : exchange.data;
  auto outcome = outcomeOf(std::move(exchange), kMaxContentAnswerBytes, decode, map);
  if (outcome.ok()) {
    if (answer) answers.keep(answerKey, *answer);
    return outcome;
  }
  if (!unreachable || !keptMayStandIn) return outcome;
  auto last = answers.last(answerKey);
  if (!last) return outcome;
  auto standIn = outcomeOf(HttpResult{std::move(last), HttpResponse{200}, std::nullopt},
                           kMaxContentAnswerBytes, decode, map);
  if (!standIn.ok()) {
    answers.drop(answerKey);
    return outcome;
  }
  return standIn;
}

// The transport's thread only hands the bytes over: decoding and mapping run on the workers.
std::function<void(HttpResult)> onWorkers(std::shared_ptr<WorkerPool> workers,
                                          std::function<void(HttpResult)> handle) {
  return [workers = std::move(workers), handle = std::move(handle)](HttpResult exchange) mutable {
    workers->post([handle = std::move(handle), exchange = std::move(exchange)]() mutable {
      handle(std::move(exchange));
    });
  };
}

}  // namespace

StoryAPI::StoryAPI(std::shared_ptr<HttpSession> http, StorySession& session)
    : http_(std::move(http)), session_(session) {}

void StoryAPI::fetchStories(const std::string& placementKey, Completion<std::vector<StoryGroup>> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(session_, std::move(completion));
  auto mainQueue = session_.platform().mainQueue;
  const auto& configuration = session_.configuration();
  if (!configuration)
    return deliverOnMain<std::vector<StoryGroup>>(*mainQueue, std::move(completion),
                                                  StoryAPIError::notConfigured());

  auto request = placementRequest(session_, *configuration, placementKey, "stories");
  if (!request.ok())
    return deliverOnMain<std::vector<StoryGroup>>(*mainQueue, std::move(completion), request.error());
  auto clock = session_.platform().clock;
  auto session = session_.weakHandle();
  http_->send(
      std::move(request).value(),
      onWorkers(session_.platform().workers,
                [mainQueue, clock, session, placementKey,
                 answers = PlacementAnswers(answerDiskCache(session_.platform())),
                 answerKey = placementAnswerKey(session_, *configuration, placementKey, "stories"),
                 completion = std::move(completion)](HttpResult exchange) {
                  const Date now = clock->now();
                  auto outcome = placementOutcome(
                      std::move(exchange), answers, answerKey, decodeStoriesPayload,
                      [now](SdkStoriesPayload payload) { return mapStoryGroups(std::move(payload), now); });
                  mainQueue->post(
                      [session, placementKey, completion, outcome = std::move(outcome)]() mutable {
                        // The completion already does nothing once the session is gone.
                        if (auto alive = session.lock(); alive && outcome.ok())
                          alive->rememberPlacementKeys(outcome.value(), placementKey);
                        if (completion) completion(std::move(outcome));
                      });
                }));
}

void StoryAPI::fetchBanners(const std::string& placementKey, Completion<std::vector<Banner>> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(session_, std::move(completion));
  auto mainQueue = session_.platform().mainQueue;
  const auto& configuration = session_.configuration();
  if (!configuration)
    return deliverOnMain<std::vector<Banner>>(*mainQueue, std::move(completion),
                                              StoryAPIError::notConfigured());

  auto request = placementRequest(session_, *configuration, placementKey, "banners");
  if (!request.ok())
    return deliverOnMain<std::vector<Banner>>(*mainQueue, std::move(completion), request.error());
  http_->send(std::move(request).value(),
              onWorkers(session_.platform().workers,
                        [mainQueue, cacheKey = bannerCacheKey(session_, *configuration, placementKey),
                         request = BannerCache::shared().nextRequest(),
                         answers = PlacementAnswers(answerDiskCache(session_.platform())),
                         answerKey = placementAnswerKey(session_, *configuration, placementKey, "banners"),
                         completion = std::move(completion)](HttpResult exchange) {
                          // This process's last good answer comes first, for any failure; the one
                          // on disk only when the service cannot be reached.
                          auto inMemory = BannerCache::shared().find(cacheKey);
                          auto outcome = placementOutcome(std::move(exchange), answers, answerKey,
                                                          decodeBannersPayload, mapBanners, !inMemory);
                          if (outcome.ok()) {
                            BannerCache::shared().store(cacheKey, outcome.value(), request);
                          } else if (inMemory) {
                            outcome = *std::move(inMemory);
                          }
                          deliverOnMain(*mainQueue, completion, std::move(outcome));
                        }));
}

void StoryAPI::recordVote(const std::string& storyItemId, const std::string& optionId,
                          Completion<VoteResponse> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  completion = whileAlive(session_, std::move(completion));
  auto mainQueue = session_.platform().mainQueue;
  const auto& configuration = session_.configuration();
  if (!configuration)
    return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), StoryAPIError::notConfigured());
  if (configuration->isPreviewMode()) {
    return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), VoteResponse(true, optionId, 1));
  }

  auto request = voteRequest(session_, *configuration, storyItemId, optionId);
  if (!request.ok()) return deliverOnMain<VoteResponse>(*mainQueue, std::move(completion), request.error());
  http_->send(std::move(request).value(),
              onWorkers(session_.platform().workers,
                        [mainQueue, completion = std::move(completion)](HttpResult exchange) {
                          deliverOnMain(*mainQueue, completion,
                                        outcomeOf(std::move(exchange), kMaxVoteAnswerBytes,
                                                  decodeVoteResponsePayload, mapVoteResponse));
                        }));
}

}  // namespace orvane
