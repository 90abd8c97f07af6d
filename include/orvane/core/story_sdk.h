#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/model/story.h>
#include <orvane/platform/platform.h>
#include <orvane/stories/story_link.h>
#include <orvane/stories/story_navigation.h>

// The SDK's C++ interface: the StorySDK facade, the content model, the service client and the
// platform interfaces a host may implement.
namespace orvane {

class EventReporter;
class SeenStoryGroups;
class StoryAPI;
class StoryNavigator;
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
  // Stops the listener addEventListener returned `id` for; an unknown id does nothing.
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

  // Opens a placement's story at a group, or one of its pages, over the host's window, with or
  // without a bar on screen; reported as a bubble tap is. Ids that are UUIDs match in either
  // letter case. A viewer already shown closes first. Refusals are logged, and handed to the
  // completion (on the main thread) with why.
  void openStory(const StoryLink& target, StoryOpenCompletion completion = {});
  // The same from a link `<scheme>://stories/<placement>/<group>[/<page>]` under the link scheme.
  void openStoryLink(std::string_view link, StoryOpenCompletion completion = {});
  // The host's scheme for story links, e.g. "myapp"; none until set.
  //@{
  void setStoryLinkScheme(std::string scheme);
  const std::string& storyLinkScheme() const;
  //@}
  // Called with a page's link and title when the user shares it; with no handler (or no link
  // scheme) the viewer offers no share action.
  void setStoryShareHandler(StoryShareHandler handler);
  // Hears the viewer on screen open, change page and close, however it was opened.
  void setStoryViewerListener(StoryViewerListener listener);
  // Steer the viewer on screen; nothing without one. A paused viewer stays paused, through
  // anything but resumeStory, until it closes.
  //
  //   sdk.setStoryViewerListener([&](const StoryViewerEvent& event) { log(event.pageId); });
  //   if (sdk.isStoryViewerOpen()) sdk.pauseStory();
  //@{
  void pauseStory();
  void resumeStory();
  void nextStoryPage();
  void previousStoryPage();
  void closeStory();
  bool isStoryViewerOpen() const;
  //@}

  // The session a StoryAPI of the host's is made in.
  StorySession& session() { return *session_; }
  // What the SDK's own views are built on: the session and where their events are reported.
  StoryServices services();
  // What the toolkit bindings present viewers through and attach them to.
  StoryNavigator& navigator() { return *navigator_; }

 private:
  // Declared first so that it outlives the clients below, which hold it.
  std::unique_ptr<StorySession> session_;
  std::unique_ptr<EventReporter> events_;
  std::unique_ptr<StoryAPI> storyAPI_;
  std::unique_ptr<StoryNavigator> navigator_;
};

}  // namespace orvane
