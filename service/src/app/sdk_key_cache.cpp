#include "sdk_key_cache.h"

#include "storage/sdk_key_hash.h"

namespace orvane::service::app {

SdkKeyCache::SdkKeyCache(storage::Store& store, std::chrono::milliseconds lifetime, std::size_t maxKeys, Ticks ticks)
    : store_(store), lifetime_(lifetime), maxKeys_(maxKeys), ticks_(std::move(ticks)) {}

std::optional<storage::App> SdkKeyCache::appFor(std::string_view sdkKey) {
  const std::string hash = storage::hashSdkKey(sdkKey);
  std::uint64_t generation = 0;
  {
    std::shared_lock lock(mutex_);
    auto found = known_.find(hash);
    if (found != known_.end() && ticks_() < found->second.until) return found->second.app;
    generation = generation_;
  }
  auto app = store_.appForSdkKey(sdkKey);
  std::unique_lock lock(mutex_);
  // Read before a revocation here: answered once, never kept.
  if (generation != generation_) return app;
  if (!app) {
    known_.erase(hash);
    return std::nullopt;
  }
  if (known_.size() >= maxKeys_ && !known_.contains(hash)) known_.clear();
  known_[hash] = Known{*app, ticks_() + lifetime_};
  return app;
}

std::optional<storage::App> SdkKeyCache::knownApp(std::string_view sdkKey) {
  const std::string hash = storage::hashSdkKey(sdkKey);
  std::shared_lock lock(mutex_);
  auto found = known_.find(hash);
  if (found == known_.end()) return std::nullopt;
  const Known& known = found->second;
  const auto now = ticks_();
  if (now >= known.until && (now >= known.until + lifetime_ || !known.askAgainClaimed->exchange(true)))
    return std::nullopt;
  return known.app;
}

void SdkKeyCache::clear() {
  std::unique_lock lock(mutex_);
  ++generation_;
  known_.clear();
}

}  // namespace orvane::service::app
