#pragma once

#include <orvane/export.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>
#include <orvane/model/banner.h>
#include <orvane/model/story.h>
#include <orvane/platform/http.h>

namespace orvane {

class StorySession;

// The content service's client: a placement's stories and banners, and poll or quiz votes.
// Requests are built from the SDK's configuration and identity at call time, on the main
// thread; answers are decoded and mapped on the platform's workers. Every completion runs
// exactly once, later, on the main queue, also when the request could not even be made.
// The client keeps no state per request and may go away before its answers arrive; answers that
// arrive after the session is gone are dropped. A host hands it StorySDK::session().
//
// \code
// auto& sdk = StorySDK::shared();
// StoryAPI api(sdk.platform().http, sdk.session());
// api.fetchBanners("home_banner", [](Result<std::vector<Banner>> banners) { /* main thread */ });
// \endcode
class ORVANE_EXPORT StoryAPI {
 public:
  // Sends over `http`, with the configuration and identity of `session`, which must outlive it.
  StoryAPI(std::shared_ptr<HttpSession> http, StorySession& session);

  // Groups in service order, those without pages left out. The session learns which placement
  // each group came from before the completion runs.
  void fetchStories(const std::string& placementKey,
                    std::function<void(Result<std::vector<StoryGroup>>)> completion);
  // Banners in service order, those without a usable slide left out. When the exchange fails,
  // the last good answer for the same placement and identity stands in for it.
  void fetchBanners(const std::string& placementKey,
                    std::function<void(Result<std::vector<Banner>>)> completion);
  // In preview mode the vote is answered locally (one vote for the given option).
  void recordVote(const std::string& storyItemId, const std::string& optionId,
                  std::function<void(Result<VoteResponse>)> completion);

 private:
  std::shared_ptr<HttpSession> http_;
  StorySession& session_;
};

}  // namespace orvane
