#include <orvane/core/story_sdk.h>

#include <orvane/api/event_reporter.h>
#include <orvane/api/story_api.h>
#include <orvane/api/story_services.h>
#include <orvane/core/main_thread.h>
#include <orvane/core/story_session.h>
#include <orvane/stories/story_navigator.h>

namespace orvane {

StorySDK& StorySDK::shared() {
  // Never destroyed: views, timers and late network answers may reach it while the process exits.
  static StorySDK* const instance = new StorySDK(Platform::current());
  return *instance;
}

StorySDK::StorySDK(Platform platform)
    : session_(std::make_unique<StorySession>(std::move(platform))),
      events_(std::make_unique<EventReporter>(session_->platform().http, *session_)),
      storyAPI_(std::make_unique<StoryAPI>(session_->platform().http, *session_)),
      navigator_(std::make_unique<StoryNavigator>(services())) {}

StorySDK::~StorySDK() = default;

void StorySDK::configure(StoryConfiguration configuration) {
  session_->configure(std::move(configuration));
  events_->sessionStarted();
}

const std::optional<StoryConfiguration>& StorySDK::configuration() const { return session_->configuration(); }

const StorySDK::EventHandler& StorySDK::eventHandler() const { return events_->eventHandler(); }

void StorySDK::setEventHandler(EventHandler handler) { events_->setEventHandler(std::move(handler)); }

std::uint64_t StorySDK::addEventListener(EventHandler listener) {
  return events_->addEventListener(std::move(listener));
}

void StorySDK::removeEventListener(std::uint64_t id) { events_->removeEventListener(id); }

void StorySDK::updateSession(std::optional<std::string> appId, std::optional<std::string> bundleId,
                             std::optional<std::string> userId) {
  session_->updateIdentity(std::move(appId), std::move(bundleId), std::move(userId));
  if (session_->configuration()) events_->sessionStarted();
}

void StorySDK::recordVote(const std::string& storyItemId, const std::string& optionId,
                          std::function<void(Result<VoteResponse>)> completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  storyAPI_->recordVote(storyItemId, optionId, std::move(completion));
}

std::optional<std::string> StorySDK::resolvedAppId() const { return session_->resolvedAppId(); }
std::optional<std::string> StorySDK::resolvedBundleId() const { return session_->resolvedBundleId(); }
std::optional<std::string> StorySDK::resolvedUserId() const { return session_->resolvedUserId(); }

std::string StorySDK::voteStorageKey(const std::string& storyItemId) const {
  return session_->voteStorageKey(storyItemId);
}

void StorySDK::rememberPlacementKeys(const std::vector<StoryGroup>& groups, const std::string& placementKey) {
  session_->rememberPlacementKeys(groups, placementKey);
}

bool StorySDK::markPlacementViewed(const std::string& groupId) {
  return session_->markPlacementViewed(groupId);
}

std::optional<std::string> StorySDK::placementKey(const StorySDKEvent& event) const {
  return session_->placementKey(event);
}

const std::string& StorySDK::sessionId() const { return session_->sessionId(); }
const std::string& StorySDK::userId() const { return session_->userId(); }
std::string StorySDK::anonymousUserId() { return session_->anonymousUserId(); }
SeenStoryGroups& StorySDK::seenStoryGroups() { return session_->seenStoryGroups(); }
const Platform& StorySDK::platform() const { return session_->platform(); }
StoryServices StorySDK::services() { return {*session_, *events_}; }

void StorySDK::openStory(const StoryLink& target, StoryOpenCompletion completion) {
  navigator_->open(target, std::move(completion));
}

void StorySDK::openStoryLink(std::string_view link, StoryOpenCompletion completion) {
  navigator_->openLink(link, std::move(completion));
}

void StorySDK::setStoryLinkScheme(std::string scheme) { navigator_->setLinkScheme(std::move(scheme)); }
const std::string& StorySDK::storyLinkScheme() const { return navigator_->linkScheme(); }
void StorySDK::setStoryShareHandler(StoryShareHandler handler) { navigator_->setShareHandler(std::move(handler)); }
void StorySDK::setStoryViewerListener(StoryViewerListener listener) {
  navigator_->setListener(std::move(listener));
}
void StorySDK::pauseStory() { navigator_->pause(); }
void StorySDK::resumeStory() { navigator_->resume(); }
void StorySDK::nextStoryPage() { navigator_->next(); }
void StorySDK::previousStoryPage() { navigator_->previous(); }
void StorySDK::closeStory() { navigator_->close(); }
bool StorySDK::isStoryViewerOpen() const { return navigator_->isViewerOpen(); }

}  // namespace orvane
