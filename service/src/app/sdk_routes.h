#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "event_queue.h"
#include "http/router.h"
#include "placement_cache.h"
#include "rate_limiter.h"
#include "sdk_key_cache.h"
#include "storage/store.h"

namespace orvane::service::app {

struct SdkRouteLimits {
  std::size_t voteBodyBytes = 4 * 1024;
  std::size_t eventBodyBytes = 64 * 1024;
  RateLimit votes;   // per SDK key and client address
  RateLimit events;  // both event routes together
};

// The five requests the SDK makes: stories and banners of a placement, a vote, service events and
// analytics records. Content answers hold what is live now for the asker, with vote counts at most
// a refresh old (fresh after a vote here) and the asker's own votes, from a cache of answers, with
// an ETag (304 on If-None-Match); events are checked, queued and answered 202 at once.
class SdkRoutes {
 public:
  using Clock = std::function<storage::TimePoint()>;

  // Links in answers point at `publicOrigin` when set, else at the address the client asked
  // ("Host"), else at `serverOrigin()`.
  SdkRoutes(storage::Store& store, EventQueue& events, SdkRouteLimits limits, std::function<std::string()> serverOrigin,
            std::optional<std::string> publicOrigin, PlacementCacheOptions placementCache = {},
            Clock clock = std::chrono::system_clock::now);

  void addTo(http::Router& router);
  // A change made through the store here: what it outdated is dropped at once.
  void storeChanged(storage::Store::Change change);

  std::uint64_t votes() const { return votes_; }
  std::uint64_t rateLimited() const { return rateLimited_; }

 private:
  http::Response placement(http::Request& request, storage::ContentKind kind);
  std::optional<http::Response> placementInMemory(const http::Request& request, storage::ContentKind kind);
  PlacementQuery queryFor(const http::Request& request, std::int64_t appId, storage::ContentKind kind) const;
  static http::Response sharedAnswer(const http::Request& request, const CachedAnswer& cached);
  static http::Response answerWith(const http::Request& request, const std::string& etag,
                                   const std::function<void(http::Response&)>& setBody);
  http::Response vote(http::Request& request);
  http::Response event(http::Request& request, storage::EventChannel channel);
  std::optional<http::Response> throttle(RateLimiter& limiter, const http::Request& request);
  std::string originFor(const http::Request& request) const;

  storage::Store& store_;
  EventQueue& events_;
  const SdkRouteLimits limits_;
  const std::function<std::string()> serverOrigin_;
  const std::optional<std::string> publicOrigin_;
  const Clock clock_;
  SdkKeyCache keys_;
  PlacementCache placements_;
  RateLimiter voteLimiter_;
  RateLimiter eventLimiter_;
  std::atomic<std::uint64_t> votes_{0};
  std::atomic<std::uint64_t> rateLimited_{0};
};

}  // namespace orvane::service::app
