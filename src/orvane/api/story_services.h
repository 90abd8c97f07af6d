#pragma once

#include <orvane/api/event_reporter.h>
#include <orvane/core/story_session.h>

namespace orvane {

// What a view takes from the SDK it runs in: the session its requests are made in, and where it
// reports what the user sees and does. StorySDK::services() hands out its own.
struct StoryServices {
  StorySession& session;
  EventReporter& events;
};

}  // namespace orvane
