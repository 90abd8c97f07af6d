#include <orvane/api/banner_cache.h>

#include <orvane/api/cache_key.h>

#include <utility>

namespace orvane {

BannerCache& BannerCache::shared() {
  // Never destroyed: answers may still arrive on session threads while the process exits.
  static auto* cache = new BannerCache;
  return *cache;
}

void BannerCache::store(const std::string& key, std::vector<Banner> banners, std::uint64_t request) {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(key);
  if (found != entries_.end() && found->second.request > request) return;
  entries_.insert_or_assign(key, Entry{std::move(banners), request});
}

std::optional<std::vector<Banner>> BannerCache::find(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  return found->second.banners;
}

std::string bannerCacheKey(const StorySession& session, const StoryConfiguration& configuration,
                           const std::string& placementKey) {
  const std::string parts[] = {
      configuration.appKey(),
      placementKey,
      serviceName(configuration.environment()),
      session.resolvedAppId().value_or(""),
      session.resolvedBundleId().value_or(""),
      session.resolvedUserId().value_or(""),
  };
  std::string key;
  for (const auto& part : parts) {
    if (&part != parts) key += '|';
    appendEscapedKeyPart(key, part);
  }
  return key;
}

}  // namespace orvane
