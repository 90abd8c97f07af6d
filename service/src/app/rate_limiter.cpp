#include "rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace orvane::service::app {

RateLimiter::RateLimiter(RateLimit limit, Clock clock, std::size_t maxBuckets)
    : limit_{limit.perSecond, std::max(limit.burst, 1.0)}, clock_(std::move(clock)), maxBuckets_(maxBuckets) {}

double RateLimiter::refilled(const Bucket& bucket, std::chrono::steady_clock::time_point now) const {
  const std::chrono::duration<double> elapsed = now - bucket.updated;
  return std::min(limit_.burst, bucket.tokens + std::max(0.0, elapsed.count()) * limit_.perSecond);
}

std::optional<std::chrono::milliseconds> RateLimiter::take(const std::string& key) {
  if (limit_.perSecond <= 0) return std::nullopt;
  const auto now = clock_();
  std::lock_guard lock(mutex_);
  auto found = buckets_.find(key);
  if (found == buckets_.end()) {
    if (buckets_.size() >= maxBuckets_) forgetFullBuckets(now);
    // Still full of clients within their burst: the newcomer waits like a busy client would.
    if (buckets_.size() >= maxBuckets_) return std::chrono::milliseconds(1000);
    found = buckets_.emplace(key, Bucket{limit_.burst, now}).first;
  }
  auto& bucket = found->second;
  bucket.tokens = refilled(bucket, now);
  bucket.updated = now;
  if (bucket.tokens >= 1) {
    bucket.tokens -= 1;
    return std::nullopt;
  }
  const auto wait = std::ceil((1 - bucket.tokens) / limit_.perSecond * 1000);
  return std::chrono::milliseconds(static_cast<std::int64_t>(wait));
}

void RateLimiter::forgetFullBuckets(std::chrono::steady_clock::time_point now) {
  for (auto it = buckets_.begin(); it != buckets_.end();) {
    it = refilled(it->second, now) >= limit_.burst ? buckets_.erase(it) : std::next(it);
  }
}

}  // namespace orvane::service::app
