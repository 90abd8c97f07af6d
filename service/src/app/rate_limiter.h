#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace orvane::service::app {

struct RateLimit {
  double perSecond = 100;  // 0 or less: no limit
  double burst = 200;      // tokens a quiet client has saved up
};

// Token buckets per key (an SDK key and a client address): each request takes a token, tokens
// come back at `perSecond` up to `burst`. Thread-safe; memory stays bounded by forgetting buckets
// that have filled up again, which is the same as never having seen them.
class RateLimiter {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit RateLimiter(RateLimit limit, Clock clock = std::chrono::steady_clock::now,
                       std::size_t maxBuckets = 100'000);

  // Takes a token: nullopt when the request may go on, else how long until the next token.
  std::optional<std::chrono::milliseconds> take(const std::string& key);

 private:
  struct Bucket {
    double tokens = 0;
    std::chrono::steady_clock::time_point updated;
  };
  double refilled(const Bucket& bucket, std::chrono::steady_clock::time_point now) const;
  void forgetFullBuckets(std::chrono::steady_clock::time_point now);

  const RateLimit limit_;
  const Clock clock_;
  const std::size_t maxBuckets_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace orvane::service::app
