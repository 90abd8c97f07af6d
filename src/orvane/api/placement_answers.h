#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <orvane/core/story_configuration.h>
#include <orvane/core/story_session.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

// The last good answer of each story and banner placement, kept on disk so that a placement whose
// service cannot be reached still shows what it showed before, also after a restart. The bytes
// are kept as they came and, read back, go through the same decoding and mapping as a fresh
// answer: the disk is trusted no more than the network. Blocking: workers only.
class PlacementAnswers {
 public:
  // Keeps nothing when `cache` is null.
  explicit PlacementAnswers(std::shared_ptr<DiskCache> cache) : cache_(std::move(cache)) {}

  void keep(const std::string& key, std::string_view answer) const;
  std::optional<std::string> last(const std::string& key) const;
  // An answer that no longer decodes will not decode next time either.
  void drop(const std::string& key) const;

 private:
  std::shared_ptr<DiskCache> cache_;
};

// Names what an answer was given for: the resource ("stories" or "banners"), app key, environment,
// placement, request locale and country, and the resolved app, bundle and user ids. A digest, so
// that neither the user's id nor anything else of it shows on disk; the SDK key, a secret that
// does not change the answer, is no part of it.
std::string placementAnswerKey(const StorySession& session, const StoryConfiguration& configuration,
                               const std::string& placementKey, const std::string& resource);

}  // namespace orvane
