#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <orvane/core/story_sdk.h>
#include <orvane/model/banner.h>

namespace orvane {

// The last good banner answer per placement and identity, kept for the life of the process so
// that a failed fetch can still show something. Safe to use from any thread.
class BannerCache {
 public:
  static BannerCache& shared();

  // Replaces the entry; an empty list is an answer too.
  void store(const std::string& key, std::vector<Banner> banners);
  std::optional<std::vector<Banner>> find(const std::string& key) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::vector<Banner>> entries_;
};

// App key, placement, environment name and the resolved app, bundle and user ids, joined with
// "|". Each part escapes "\" and "|" so that no two identities can share a key.
std::string bannerCacheKey(const StorySDK& sdk, const StoryConfiguration& configuration,
                           const std::string& placementKey);

}  // namespace orvane
