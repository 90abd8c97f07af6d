#include "sdk_routes.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "content/identifiers.h"
#include "http/content_coding.h"
#include "http/header_text.h"
#include "event_records.h"
#include "sdk_keys.h"

namespace orvane::service::app {
namespace {

using nlohmann::json;

// No content placement answers with a body, so GET routes take none.
constexpr std::size_t kNoBody = 0;
constexpr std::size_t kMaxUserIdBytes = 256;

bool isHostText(std::string_view text) {
  return !text.empty() && text.size() <= 255 && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
           c == ':' || c == '[' || c == ']';
  });
}

// End-user ids are the host's own texts: anything printable, bounded.
bool isUserId(std::string_view text) {
  return text.size() <= kMaxUserIdBytes &&
         std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

std::optional<json> parsedObject(const std::string& body) {
  auto parsed = json::parse(body, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) return std::nullopt;
  return parsed;
}

// A store that cannot answer makes a 503 the client may retry, never a half answer.
http::Router::Handler guarded(std::function<http::Response(http::Request&)> handler) {
  return [handler = std::move(handler)](http::Request& request) {
    try {
      return handler(request);
    } catch (const storage::StoreError&) {
      auto answer = http::Response::error(503, "The database is unavailable; try again shortly.");
      answer.headers["Retry-After"] = "1";
      return answer;
    }
  };
}

}  // namespace

SdkRoutes::SdkRoutes(storage::Store& store, EventQueue& events, SdkRouteLimits limits,
                     std::function<std::string()> serverOrigin, std::optional<std::string> publicOrigin,
                     PlacementCacheOptions placementCache, Clock clock)
    : store_(store),
      events_(events),
      limits_(limits),
      serverOrigin_(std::move(serverOrigin)),
      publicOrigin_(std::move(publicOrigin)),
      clock_(std::move(clock)),
      keys_(store),
      placements_(store, clock_, placementCache),
      voteLimiter_(limits.votes),
      eventLimiter_(limits.events) {}

void SdkRoutes::storeChanged(storage::Store::Change change) {
  if (change == storage::Store::Change::content) placements_.contentChanged();
  if (change == storage::Store::Change::sdkKeys) keys_.clear();
}

void SdkRoutes::addTo(http::Router& router) {
  const http::RouteLimits none{kNoBody}, vote{limits_.voteBodyBytes};
  // Events only wait in a queue for the database: a flood of them yields the cores to content.
  const http::RouteLimits event{.maxBodyBytes = limits_.eventBodyBytes, .background = true};
  for (const auto kind : {storage::ContentKind::stories, storage::ContentKind::banners}) {
    const std::string name = kind == storage::ContentKind::stories ? "stories" : "banners";
    router.add(
        "GET", "/sdk/v1/apps/{}/placements/{}/" + name, name, none,
        guarded([this, kind](http::Request& request) { return placement(request, kind); }),
        [this, kind](const http::Request& request) { return placementInMemory(request, kind); });
  }
  router.add("POST", "/sdk/v1/apps/{}/story-items/{}/vote", "vote", vote,
             guarded([this](http::Request& request) { return this->vote(request); }));
  router.add("POST", "/sdk/v1/events", "events", event,
             guarded([this](http::Request& request) { return this->event(request, storage::EventChannel::service); }));
  router.add("POST", "/sdk/v1/apps/{}/events", "analytics", event,
             guarded([this](http::Request& request) { return this->event(request, storage::EventChannel::analytics); }));
}

http::Response SdkRoutes::placement(http::Request& request, storage::ContentKind kind) {
  auto authenticated = authenticate(keys_, request, request.pathParameters.at(0));
  if (auto* refusal = std::get_if<http::Response>(&authenticated)) return std::move(*refusal);
  const auto& app = std::get<storage::App>(authenticated);
  const std::string& placementKey = request.pathParameters.at(1);
  if (!content::isSafeKey(placementKey)) return http::Response::error(400, "Not a placement key.");
  const auto userId = request.header("X-Zephro-UserId");
  if (!isUserId(userId)) return http::Response::error(400, "Not a user id.");

  const auto cached = placements_.answer(queryFor(request, app.id, kind));
  if (!cached) return http::Response::error(404, "Unknown placement.");
  if (!userId.empty() && !cached->itemIds.empty()) {
    const auto votes = store_.userVotes(app.id, userId, cached->itemIds);
    if (!votes.empty()) {
      std::string personal = content::withUserVotes(cached->answer, votes);
      const std::string etag = answerEtag(personal);
      return answerWith(request, etag, [&](http::Response& response) { response.body = std::move(personal); });
    }
  }
  return sharedAnswer(request, *cached);
}

std::optional<http::Response> SdkRoutes::placementInMemory(const http::Request& request, storage::ContentKind kind) {
  // Anything but the common case (a known key, a valid request, an answer at hand that the user's
  // own votes cannot change) goes to a worker, which may ask the store and words the refusals.
  const auto app = keys_.knownApp(request.header("X-Zephro-SDK-Key"));
  if (!app || app->key != request.pathParameters.at(0)) return std::nullopt;
  if (!content::isSafeKey(request.pathParameters.at(1))) return std::nullopt;
  const auto userId = request.header("X-Zephro-UserId");
  if (!isUserId(userId)) return std::nullopt;
  const auto cached = placements_.answerInMemory(queryFor(request, app->id, kind));
  if (!cached || (!userId.empty() && !cached->itemIds.empty())) return std::nullopt;
  return sharedAnswer(request, *cached);
}

PlacementQuery SdkRoutes::queryFor(const http::Request& request, std::int64_t appId, storage::ContentKind kind) const {
  const auto environment =
      request.queryValue("environment") == "STAGING" ? storage::Environment::staging : storage::Environment::production;
  return {appId,
          request.pathParameters.at(1),
          kind,
          environment,
          {std::string(request.queryValue("locale")), std::string(request.queryValue("country"))},
          originFor(request)};
}

http::Response SdkRoutes::sharedAnswer(const http::Request& request, const CachedAnswer& cached) {
  return answerWith(request, cached.etag, [&](http::Response& response) {
    if (http::acceptsGzip(request.header("Accept-Encoding"))) {
      response.headers.emplace("Content-Encoding", "gzip");
      response.body = cached.gzipped;
    } else {
      response.body = cached.answer.text;
    }
  });
}

http::Response SdkRoutes::answerWith(const http::Request& request, const std::string& etag,
                                     const std::function<void(http::Response&)>& setBody) {
  http::Response response;
  response.headers.emplace("ETag", etag);
  // Answers carry the user's own votes and move with everyone's: kept by the client, asked again.
  response.headers.emplace("Cache-Control", "private, no-cache");
  response.headers.emplace("Vary", "Accept-Encoding");
  if (http::noneMatchHits(request.header("If-None-Match"), etag)) {
    response.status = 304;
    return response;
  }
  response.headers.emplace("Content-Type", "application/json");
  setBody(response);
  return response;
}

http::Response SdkRoutes::vote(http::Request& request) {
  auto authenticated = authenticate(keys_, request, request.pathParameters.at(0));
  if (auto* refusal = std::get_if<http::Response>(&authenticated)) return std::move(*refusal);
  const auto& app = std::get<storage::App>(authenticated);
  if (auto refusal = throttle(voteLimiter_, request)) return std::move(*refusal);

  const auto& itemId = request.pathParameters.at(1);
  if (!content::isUuid(itemId)) return http::Response::error(400, "A story item id is a UUID.");
  const auto body = parsedObject(request.body);
  if (!body) return http::Response::error(400, "The body must be a JSON object.");
  const auto optionId = body->find("optionId");
  if (optionId == body->end() || !optionId->is_string() || !content::isUuid(optionId->get_ref<const std::string&>()))
    return http::Response::error(400, "A vote needs an \"optionId\" UUID.");
  for (const char* key : {"appId", "bundleId", "userId"}) {
    auto found = body->find(key);
    if (found != body->end() && !found->is_null() && !found->is_string())
      return http::Response::error(400, std::string("\"") + key + "\" is not a text.");
  }
  std::string userId(request.header("X-Zephro-UserId"));
  if (userId.empty()) userId = body->value("userId", "");
  if (!isUserId(userId)) return http::Response::error(400, "Not a user id.");
  // One vote per user is all that keeps counts honest, so a vote must say whose it is.
  if (userId.empty()) return http::Response::error(400, "A vote needs a user id.");

  const auto outcome = store_.recordVote(app.id, content::lowercase(itemId),
                                         content::lowercase(optionId->get_ref<const std::string&>()), userId, clock_());
  switch (outcome.result) {
    case storage::VoteOutcome::Result::unknownItem:
      return http::Response::error(404, "Unknown story item.");
    case storage::VoteOutcome::Result::unknownOption:
      return http::Response::error(400, "The story item has no such option.");
    case storage::VoteOutcome::Result::counted:
      break;
  }
  ++votes_;
  placements_.votesChanged(app.id);
  return http::Response::json(200, {{"voted", true}, {"optionId", *optionId}, {"voteCount", outcome.optionCount}});
}

http::Response SdkRoutes::event(http::Request& request, storage::EventChannel channel) {
  std::optional<std::string_view> pathApp;
  if (channel == storage::EventChannel::analytics) pathApp = request.pathParameters.at(0);
  auto authenticated = authenticate(keys_, request, pathApp);
  if (auto* refusal = std::get_if<http::Response>(&authenticated)) return std::move(*refusal);
  const auto& app = std::get<storage::App>(authenticated);
  if (auto refusal = throttle(eventLimiter_, request)) return std::move(*refusal);

  const auto body = json::parse(request.body, nullptr, false);
  if (body.is_discarded()) return http::Response::error(400, "The body is not JSON.");
  auto checked = channel == storage::EventChannel::service ? serviceEvent(body, app, clock_())
                                                           : analyticsRecord(body, app, clock_());
  if (auto* rejected = std::get_if<RejectedEvent>(&checked)) return http::Response::error(400, rejected->problem);
  if (!events_.push(std::get<storage::StoredEvent>(std::move(checked)))) {
    auto answer = http::Response::error(503, "Too many events are waiting to be stored; this one was dropped.");
    answer.headers["Retry-After"] = "1";
    return answer;
  }
  return http::Response::json(202, json::object());
}

std::optional<http::Response> SdkRoutes::throttle(RateLimiter& limiter, const http::Request& request) {
  // Per key, not per app: a leaked key of one host cannot use up another's allowance. The key is
  // hashed so the limiter's memory holds no secrets.
  const auto key = std::to_string(std::hash<std::string_view>{}(request.header("X-Zephro-SDK-Key"))) + "|" +
                   request.clientAddress;
  const auto wait = limiter.take(key);
  if (!wait) return std::nullopt;
  ++rateLimited_;
  auto answer = http::Response::error(429, "Too many requests; slow down.");
  answer.headers["Retry-After"] = std::to_string(std::max<std::int64_t>(1, (wait->count() + 999) / 1000));
  return answer;
}

std::string SdkRoutes::originFor(const http::Request& request) const {
  if (publicOrigin_) return *publicOrigin_;
  // The address the client used, so links work through port forwarding and origin overrides.
  const auto host = request.header("Host");
  if (!isHostText(host)) return serverOrigin_();
  return std::string(request.secure ? "https" : "http") + "://" + std::string(host);
}

}  // namespace orvane::service::app
