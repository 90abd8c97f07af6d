#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/api/analytics_api.h>
#include <orvane/core/sdk_event_request.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/core/story_session.h>
#include <orvane/platform/http.h>

namespace orvane {

// Where every event a view emits goes: the host's handler and listeners, the analytics record, and the
// service event its kind maps to, de-duplicated per session. Main thread only.
class EventReporter {
 public:
  using EventHandler = std::function<void(const StorySDKEvent&)>;

  EventReporter(std::shared_ptr<HttpSession> http, StorySession& session);

  // Receives every reported event, synchronously on the main thread. Empty means none.
  const EventHandler& eventHandler() const { return eventHandler_; }
  void setEventHandler(EventHandler handler);
  // Listeners beside the handler, called after it in the order added.
  std::uint64_t addEventListener(EventHandler listener);
  void removeEventListener(std::uint64_t id);

  // Runs the whole reporting path of an event, filed under the emitting view's placement.
  void report(const StorySDKEvent& event, const std::string& placementKey);
  // One service event, at most once per session for the same ids (clicks: every time).
  // Nothing is sent, or remembered, before configure.
  void trackStoryEvent(SdkEventType type, const std::string& placementKey,
                       const std::optional<std::string>& storyGroupId,
                       const std::optional<std::string>& storyItemId);
  void trackBannerEvent(SdkEventType type, const std::string& placementKey, const std::string& bannerId,
                        const std::optional<std::string>& bannerItemId);

  // Follows the session's id from the first configure on.
  void sessionStarted() { analyticsAPI_.setSessionId(session_.sessionId()); }
  StoryAnalyticsAPI& analyticsAPI() { return analyticsAPI_; }

 private:
  void postServiceEvent(SdkEventType type, const std::string& placementKey,
                        std::optional<std::string> storyGroupId, std::optional<std::string> storyItemId,
                        std::optional<std::string> bannerId, std::optional<std::string> bannerItemId);

  StorySession& session_;
  StoryAnalyticsAPI analyticsAPI_;
  EventHandler eventHandler_;
  std::vector<std::pair<std::uint64_t, EventHandler>> listeners_;
  std::uint64_t lastListenerId_ = 0;
};

}  // namespace orvane
