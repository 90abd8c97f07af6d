#include <orvane/core/event_tracker.h>

#include <orvane/core/json_post.h>

namespace orvane {

void EventTracker::post(HttpSession& session, const SdkEventRequest& request, const std::string& sdkKey,
                        const Url& baseURL) {
  auto url =
      baseURL.appendingPathComponent("sdk").appendingPathComponent("v1").appendingPathComponent("events");
  postJsonIgnoringAnswer(session, url, nlohmann::ordered_json(request), sdkKey);
}

}  // namespace orvane
