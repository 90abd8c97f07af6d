#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/core/seen_story_groups.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/model/story.h>
#include <orvane/platform/platform.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

// The state every request, event and view of one SDK instance reads: the platform, the host's
// configuration, the identity resolved from both, the session id with its de-duplication keys,
// the placement each fetched group came from, and the groups seen on this device. Clients below
// the facade are handed this instead of the facade itself. Main thread only.
class StorySession {
 public:
  // The platform must have a main queue; unset members get their headless defaults.
  explicit StorySession(Platform platform);
  StorySession(const StorySession&) = delete;
  StorySession& operator=(const StorySession&) = delete;

  const Platform& platform() const { return platform_; }
  // Expires when this session is destroyed: answers and timers that may outlive it check it first.
  std::weak_ptr<StorySession> weakHandle() { return lifetime_; }

  // Stores the configuration, loads the anonymous user id and starts a new session, also when
  // the configuration equals the current one.
  void configure(StoryConfiguration configuration);
  // Absent until configure.
  const std::optional<StoryConfiguration>& configuration() const { return configuration_; }
  // Replaces the identity fields that are given (an absent one keeps its value) and starts a new
  // session when the trimmed identity changed. Ignored before configure.
  void updateIdentity(std::optional<std::string> appId, std::optional<std::string> bundleId,
                      std::optional<std::string> userId);

  // Identity sent with content requests and votes.
  std::optional<std::string> resolvedAppId() const;
  std::optional<std::string> resolvedBundleId() const;
  std::optional<std::string> resolvedUserId() const;
  // Where the user's choice on a poll or quiz page is remembered on this device.
  std::string voteStorageKey(const std::string& storyItemId) const;

  // Empty until configure.
  const std::string& sessionId() const { return sessionId_; }
  // The anonymous id (not the host's user id); empty until configure.
  const std::string& userId() const { return userId_; }
  // The persisted anonymous id, created and stored on first need, and also in place of a stored
  // value that is not printable ASCII of at most 128 characters.
  std::string anonymousUserId();

  // Notes the placement each fetched group belongs to; a later fetch of the same group wins.
  void rememberPlacementKeys(const std::vector<StoryGroup>& groups, const std::string& placementKey);
  // True the first time in this session that a group of a known placement is seen.
  bool markPlacementViewed(const std::string& groupId);
  // Story events: the placement their group was fetched for; banner events: their own.
  std::optional<std::string> placementKey(const StorySDKEvent& event) const;
  // Marks a de-duplicated service event as sent; false when it already was in this session.
  bool markSent(const std::string& key);

  // The groups whose last page the user reached, read from the store on first need.
  SeenStoryGroups& seenStoryGroups();

 private:
  void resetSession();

  Platform platform_;
  // Held so that the bound configured stays with the process's cache of that folder.
  std::shared_ptr<DiskCache> mediaCache_;
  std::optional<StoryConfiguration> configuration_;
  std::unique_ptr<SeenStoryGroups> seenStoryGroups_;
  std::map<std::string, std::string> groupPlacementKeys_;
  std::set<std::string> trackedPlacementViews_;
  std::set<std::string> sentEventKeys_;
  std::string sessionId_;
  std::string userId_;
  // Owns nothing; declared last so that it expires before anything else is torn down.
  std::shared_ptr<StorySession> lifetime_{this, [](StorySession*) {}};
};

}  // namespace orvane
