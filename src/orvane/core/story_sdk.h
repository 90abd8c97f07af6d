#pragma once

#include <orvane/export.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>
#include <orvane/core/sdk_event_request.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/model/story.h>
#include <orvane/platform/platform.h>

namespace ORVANE_EXPORT orvane {

class SeenStoryGroups;
class StoryAPI;
class StoryAnalyticsAPI;

// The host's entry point, and the session state the SDK's components share: configuration,
// identity, the session id and its de-duplication sets, and where each story group came from.
// Everything here is called on the main thread.
class StorySDK {
 public:
  using EventHandler = std::function<void(const StorySDKEvent&)>;

  // The process-wide instance, built on Platform::current() the first time it is asked for.
  static StorySDK& shared();

  // An independent instance over the given platform (tests, or hosts that want their own).
  explicit StorySDK(Platform platform);
  ~StorySDK();
  StorySDK(const StorySDK&) = delete;
  StorySDK& operator=(const StorySDK&) = delete;

  // Stores the configuration, loads the anonymous user id and starts a new session, also when
  // the configuration equals the current one.
  void configure(StoryConfiguration configuration);
  // Absent until configure.
  const std::optional<StoryConfiguration>& configuration() const { return configuration_; }

  // Receives every reported event, synchronously on the main thread. Empty means none.
  const EventHandler& eventHandler() const { return eventHandler_; }
  void setEventHandler(EventHandler handler);

  // Replaces the identity fields that are given (an absent one keeps its value) and starts a new
  // session when the trimmed identity changed. Ignored before configure.
  void updateSession(std::optional<std::string> appId, std::optional<std::string> bundleId,
                     std::optional<std::string> userId);

  // Sends the user's choice on a poll or quiz page; the completion runs on the main thread.
  void recordVote(const std::string& storyItemId, const std::string& optionId,
                  std::function<void(Result<VoteResponse>)> completion);

  // Identity sent with content requests and votes.
  std::optional<std::string> resolvedAppId() const;
  std::optional<std::string> resolvedBundleId() const;
  std::optional<std::string> resolvedUserId() const;

  // Where the user's choice on a poll or quiz page is remembered on this device.
  std::string voteStorageKey(const std::string& storyItemId) const;

  // Notes the placement each fetched group belongs to; a later fetch of the same group wins.
  void rememberPlacementKeys(const std::vector<StoryGroup>& groups, const std::string& placementKey);
  // True the first time in this session that a group of a known placement is seen.
  bool markPlacementViewed(const std::string& groupId);
  // Story events: the placement their group was fetched for; banner events: their own.
  std::optional<std::string> placementKey(const StorySDKEvent& event) const;

  // Runs the whole reporting path of an event: the host's handler, the analytics record, and the
  // service event its kind maps to, filed under the emitting view's placement.
  void report(const StorySDKEvent& event, const std::string& placementKey);
  // One service event, at most once per session for the same ids (clicks: every time).
  // Nothing is sent, or remembered, before configure.
  void trackStoryEvent(SdkEventType type, const std::string& placementKey,
                       const std::optional<std::string>& storyGroupId,
                       const std::optional<std::string>& storyItemId);
  void trackBannerEvent(SdkEventType type, const std::string& placementKey, const std::string& bannerId,
                        const std::optional<std::string>& bannerItemId);

  // Empty until configure.
  const std::string& sessionId() const { return sessionId_; }
  // The anonymous id (not the host's user id); empty until configure.
  const std::string& userId() const { return userId_; }
  // The persisted anonymous id, created and stored on first need, and also in place of a stored
  // value that is not printable ASCII of at most 128 characters.
  std::string anonymousUserId();

  // The groups whose last page the user reached, read from the store on first need.
  SeenStoryGroups& seenStoryGroups();

  const Platform& platform() const { return platform_; }
  // Expires when this SDK is destroyed: answers and timers that may outlive it check it first.
  std::weak_ptr<StorySDK> weakHandle() { return lifetime_; }
  StoryAnalyticsAPI& analyticsAPI() { return *analyticsAPI_; }

 private:
  void resetSession();
  // Marks a de-duplicated event as sent; false when it already was in this session.
  bool markSent(const std::string& key);
  void postServiceEvent(SdkEventType type, const std::string& placementKey,
                        std::optional<std::string> storyGroupId, std::optional<std::string> storyItemId,
                        std::optional<std::string> bannerId, std::optional<std::string> bannerItemId);

  Platform platform_;
  std::optional<StoryConfiguration> configuration_;
  EventHandler eventHandler_;
  std::unique_ptr<StoryAnalyticsAPI> analyticsAPI_;
  std::unique_ptr<StoryAPI> storyAPI_;
  std::unique_ptr<SeenStoryGroups> seenStoryGroups_;
  std::map<std::string, std::string> groupPlacementKeys_;
  std::set<std::string> trackedPlacementViews_;
  std::set<std::string> sentEventKeys_;
  std::string sessionId_;
  std::string userId_;
  // Owns nothing; declared last so that it expires before anything else is torn down.
  std::shared_ptr<StorySDK> lifetime_{this, [](StorySDK*) {}};
};

}  // namespace orvane
