#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/model/story.h>
#include <orvane/platform/platform.h>

// The SDK's C++ interface: the StorySDK facade, the content model, the service client and the
// platform interfaces a host may implement.
namespace orvane {

class EventReporter;
class SeenStoryGroups;
class StoryAPI;
class StorySession;
struct StoryServices;

// The host's entry point. It composes the session the SDK's components share (configuration,
// identity, the session id and its de-duplication sets, where each story group came from), the
// event reporting and a client for votes. Everything here is called on the main thread.
//
// \code
// orvane::quick::installQtPlatform();  // or Platform::install(...) without Qt
// auto& sdk = StorySDK::shared();
// sdk.configure(StoryConfiguration("sdk-key", "app-key"));
// sdk.setEventHandler([](const StorySDKEvent& event) { analytics.record(event); });
// sdk.updateSession(std::nullopt, std::nullopt, "user-42");  // after sign-in
// \endcode
class ORVANE_EXPORT StorySDK {
 public:
  // What the host's event handler is.
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
  const std::optional<StoryConfiguration>& configuration() const;

  // Receives every reported event, synchronously on the main thread. Empty means none.
  //@{
  const EventHandler& eventHandler() const;
  void setEventHandler(EventHandler handler);
  //@}

  // Listeners receive every event too, after the event handler and in the order added, however
  // often the handler is replaced (the Qt binding's StoryEvents is one). The id removes it.
  //
  //   auto id = sdk.addEventListener([](const StorySDKEvent& event) { analytics.track(event); });
  //   sdk.removeEventListener(id);
  std::uint64_t addEventListener(EventHandler listener);
  void removeEventListener(std::uint64_t id);

  // Replaces the identity fields that are given (an absent one keeps its value) and starts a new
  // session when the trimmed identity changed. Ignored before configure.
  void updateSession(std::optional<std::string> appId, std::optional<std::string> bundleId,
                     std::optional<std::string> userId);

  // Sends the user's choice on a poll or quiz page; the completion runs on the main thread.
  void recordVote(const std::string& storyItemId, const std::string& optionId,
                  std::function<void(Result<VoteResponse>)> completion);

  // Identity sent with content requests and votes.
  //@{
  std::optional<std::string> resolvedAppId() const;
  std::optional<std::string> resolvedBundleId() const;
  std::optional<std::string> resolvedUserId() const;
  //@}

  // Where the user's choice on a poll or quiz page is remembered on this device.
  std::string voteStorageKey(const std::string& storyItemId) const;

  // Notes the placement each fetched group belongs to; a later fetch of the same group wins.
  void rememberPlacementKeys(const std::vector<StoryGroup>& groups, const std::string& placementKey);
  // True the first time in this session that a group of a known placement is seen.
  bool markPlacementViewed(const std::string& groupId);
  // Story events: the placement their group was fetched for; banner events: their own.
  std::optional<std::string> placementKey(const StorySDKEvent& event) const;

  // Empty until configure.
  const std::string& sessionId() const;
  // The anonymous id (not the host's user id); empty until configure.
  const std::string& userId() const;
  // The persisted anonymous id, created and stored on first need, and also in place of a stored
  // value that is not printable ASCII of at most 128 characters.
  std::string anonymousUserId();

  // The groups whose last page the user reached, read from the store on first need.
  SeenStoryGroups& seenStoryGroups();

  // The platform it was built on, its empty members filled with the headless defaults.
  const Platform& platform() const;

  // The session a StoryAPI of the host's is made in.
  StorySession& session() { return *session_; }
  // What the SDK's own views are built on: the session and where their events are reported.
  StoryServices services();

 private:
  // Declared first so that it outlives the clients below, which hold it.
  std::unique_ptr<StorySession> session_;
  std::unique_ptr<EventReporter> events_;
  std::unique_ptr<StoryAPI> storyAPI_;
};

}  // namespace orvane
