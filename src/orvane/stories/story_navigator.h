#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/api/story_services.h>
#include <orvane/model/story.h>
#include <orvane/stories/story_link.h>
#include <orvane/stories/story_navigation.h>

namespace orvane {

class StoryViewerViewModel;

// A viewer to present: a placement's groups in the bar's order and where to start.
struct StoryPresentation {
  std::string placementKey;
  std::vector<StoryGroup> groups;
  int groupIndex = 0;
  int itemIndex = 0;
};

// Reaching and steering the story viewer from outside a bar: opens a placement's story by its ids
// or link through the presenter a toolkit binding installs, controls the viewer on screen however
// it was opened, tells a listener what it does, and builds the links pages are shared with. One
// per SDK; main thread only.
class ORVANE_EXPORT StoryNavigator {
 public:
  // Shows a viewer over the host's window; the binding makes its view model from the
  // presentation, and attaches it before starting it. False when it could not (no window).
  using Presenter = std::function<bool(const StoryPresentation&)>;

  explicit StoryNavigator(StoryServices services);
  StoryNavigator(const StoryNavigator&) = delete;
  StoryNavigator& operator=(const StoryNavigator&) = delete;

  void setPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

  // Fetches the placement's stories and presents the viewer at the group (and page) as a bubble
  // tap would, closing a viewer already shown. Refusals are logged and handed to `completion`.
  void open(const StoryLink& target, StoryOpenCompletion completion = {});
  // The same for a link under the link scheme.
  void openLink(std::string_view link, StoryOpenCompletion completion = {});

  // The host's scheme for the links it routes and shares; empty means none.
  void setLinkScheme(std::string scheme) { linkScheme_ = std::move(scheme); }
  const std::string& linkScheme() const { return linkScheme_; }
  // Empty means pages cannot be shared.
  void setShareHandler(StoryShareHandler handler) { shareHandler_ = std::move(handler); }
  // What sharing this page would hand the host; absent without a handler or link scheme, or when
  // the ids make no link.
  std::optional<StoryShare> shareOf(const std::string& placementKey, const StoryGroup& group,
                                    const StoryItem& item) const;
  // Hands the page to the share handler; false when shareOf is absent.
  bool share(const std::string& placementKey, const StoryGroup& group, const StoryItem& item) const;

  void setListener(StoryViewerListener listener) { *listener_ = std::move(listener); }
  const StoryViewerListener& listener() const { return *listener_; }

  // Makes `viewer` the one controlled and heard; called by whoever presents one, before start().
  void attach(const std::shared_ptr<StoryViewerViewModel>& viewer);
  // Shown: attached, neither closed nor released.
  bool isViewerOpen() const;
  // Holds the viewer until resume(), whatever else pauses and resumes it meanwhile.
  void pause();
  void resume();
  void next();
  void previous();
  void close();

 private:
  void refuse(const StoryLink& target, StoryOpenError error, const std::string& why,
              const StoryOpenCompletion& completion) const;
  void present(const StoryLink& target, const Result<std::vector<StoryGroup>>& result,
               const StoryOpenCompletion& completion);
  std::shared_ptr<StoryViewerViewModel> openViewer() const;

  StorySession& session_;
  StoryAPI api_;
  Presenter presenter_;
  std::string linkScheme_;
  StoryShareHandler shareHandler_;
  // Shared with the attached viewers, which may outlive this navigator.
  std::shared_ptr<StoryViewerListener> listener_ = std::make_shared<StoryViewerListener>();
  std::weak_ptr<StoryViewerViewModel> viewer_;
  std::uint64_t lastOpen_ = 0;
  std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace orvane
