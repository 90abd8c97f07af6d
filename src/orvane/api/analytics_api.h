#pragma once

#include <memory>
#include <optional>
#include <string>

#include <orvane/api/analytics_event_payload.h>
#include <orvane/core/story_configuration.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/core/story_session.h>
#include <orvane/platform/http.h>

namespace orvane {

// Sends one analytics record per story event and ignores the answer. Banner events have none.
class StoryAnalyticsAPI {
 public:
  StoryAnalyticsAPI(std::shared_ptr<HttpSession> http, StorySession& session);

  // Nothing is sent without a configuration or a placement key, or for a kind without a record.
  void send(const StorySDKEvent& event, const std::optional<StoryConfiguration>& configuration,
            const std::optional<std::string>& placementKey);

  // The record for an event, read from the platform now. A group impression gives a placement
  // view, and only the first time its placement is seen in the session (marking it as seen).
  std::optional<AnalyticsEventPayload> analyticsPayload(const StorySDKEvent& event,
                                                        const std::string& placementKey);

  // Kept equal to the SDK's session id from the first configure on.
  const std::string& sessionId() const { return sessionId_; }
  void setSessionId(std::string sessionId) { sessionId_ = std::move(sessionId); }

 private:
  std::shared_ptr<HttpSession> http_;
  StorySession& session_;
  std::string sessionId_;
};

}  // namespace orvane
