#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <orvane/core/story_session.h>
#include <orvane/model/banner.h>

namespace orvane {

// The last good banner answer per placement and identity, kept for the life of the process so
// that a failed fetch can still show something. Safe to use from any thread.
class BannerCache {
 public:
  static BannerCache& shared();

  // Orders the answers to come: take one when asking, store the answer with it.
  std::uint64_t nextRequest() { return ++lastRequest_; }
  // Replaces the entry unless it holds the answer to a later request (answers are decoded on
  // several workers and may finish in either order); an empty list is an answer too.
  void store(const std::string& key, std::vector<Banner> banners, std::uint64_t request);
  std::optional<std::vector<Banner>> find(const std::string& key) const;

 private:
  struct Entry {
    std::vector<Banner> banners;
    std::uint64_t request;
  };
  std::atomic<std::uint64_t> lastRequest_{0};
  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

// App key, placement, environment name and the resolved app, bundle and user ids, joined with
// "|". Each part escapes "\" and "|" so that no two identities can share a key.
std::string bannerCacheKey(const StorySession& session, const StoryConfiguration& configuration,
                           const std::string& placementKey);

}  // namespace orvane
