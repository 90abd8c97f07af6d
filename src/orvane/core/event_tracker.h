#pragma once

#include <orvane/export.h>

#include <string>

#include <orvane/core/sdk_event_request.h>
#include <orvane/platform/http.h>
#include <orvane/platform/url.h>

namespace orvane {

// Fire-and-forget delivery of service events: the answer, and any failure, are ignored.
struct ORVANE_EXPORT EventTracker {
  static void post(HttpSession& session, const SdkEventRequest& request, const std::string& sdkKey,
                   const Url& baseURL);
};

}  // namespace orvane
