#pragma once

#include <orvane/export.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/api/story_services.h>
#include <orvane/core/observable.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/media/video_streams.h>
#include <orvane/model/story.h>
#include <orvane/model/theme.h>
#include <orvane/platform/clock.h>
#include <orvane/platform/main_queue.h>
#include <orvane/platform/url.h>
#include <orvane/stories/story_navigation.h>
#include <orvane/stories/story_voting.h>

namespace orvane {

// The state machine behind one presented story viewer: plays the pages of the groups one after
// another on a 0.05 s timer, answers navigation, runs poll and quiz votes, handles swipe-up and
// call-to-action, and reports every story event. Main thread only.
//
// Observers are told before each change of a published property (the current position,
// progress, dismissal and the vote state) and re-read the accessors afterwards. Timer firings and
// network answers hold the model weakly: once the last owner lets go, nothing more happens.
class ORVANE_EXPORT StoryViewerViewModel final : public Observable,
                                   public std::enable_shared_from_this<StoryViewerViewModel> {
 public:
  using OpenURLAction = std::function<void(const Url&)>;

  static constexpr Microseconds tickInterval{50'000};
  static constexpr Microseconds itemViewDelay{1'000'000};
  static constexpr std::chrono::milliseconds swipeDebounce{800};

  // Starts at `startIndex` clamped into the groups (0 when there are none).
  static std::shared_ptr<StoryViewerViewModel> create(
      std::vector<StoryGroup> groups, int startIndex, std::string placementKey, StoryServices services,
      StoryImagePipeline& pipeline = StoryImagePipeline::shared(), VideoStreams& videos = VideoStreams::shared());
  ~StoryViewerViewModel();

  // Published.
  int currentGroupIndex() const { return currentGroupIndex_.get(); }
  int currentItemIndex() const { return currentItemIndex_.get(); }
  // Paused by the host until it releases it; resume() alone does not restart a held viewer.
  bool isHeld() const { return isHeld_.get(); }
  // Fill of the current page's progress segment, in [0, 1].
  double progress() const { return progress_.get(); }
  // The viewer must close itself once this turns true.
  bool shouldDismiss() const { return shouldDismiss_.get(); }
  // The page's media is on its way or its playback has stalled: the progress holds meanwhile and
  // the view shows that it waits.
  bool isMediaWaiting() const { return mediaWaiting_.get(); }
  // The option chosen on the current page, just now or earlier (restored).
  const std::optional<std::string>& votedOptionId() const { return voting_.votedOptionId(); }
  bool isVotingInProgress() const { return voting_.isVotingInProgress(); }
  bool showResults() const { return voting_.showResults(); }
  // Fresher counts by option id; they win over the options' own voteCount.
  const std::map<std::string, std::int64_t>& updatedVoteCounts() const { return voting_.updatedVoteCounts(); }

  // Not published: replaced only by the refresh after a vote, which also publishes the position.
  const std::vector<StoryGroup>& groups() const { return groups_; }
  const std::string& placementKey() const { return placementKey_; }

  // Null when the position is outside the groups or the group's pages. The pointers stay valid
  // until the next published change.
  const StoryGroup* currentGroup() const;
  const StoryItem* currentItem() const;
  // The current group's theme, or the default one without a current group.
  const StoryTheme& theme() const;

  // How links of swipe pages are opened; installed by the view before start().
  void setOpenURLAction(OpenURLAction action) { openURLAction_ = std::move(action); }

  // Before start(): begins at this page of the start group instead of its first (clamped into
  // its pages), as a story opened by a page's id does.
  void startAtPage(int itemIndex);
  // Hears the opening, every page change and the closing; empty means none.
  void setListener(StoryViewerListener listener) { listener_ = std::move(listener); }
  bool hasStarted() const { return hasStarted_; }
  bool hasClosed() const { return hasTrackedClose_; }

  // Begins playback the first time; later calls only restart a stopped timer.
  void start();
  // Stops the progress timer; the page keeps its progress.
  void pause();
  // Restarts the progress timer after a pause; nothing before start(), nor while media waits or
  // the host holds it.
  void resume();
  // Told by the view whenever the page's media starts or stops waiting for its bytes; the
  // progress holds while it waits and goes on, where it stood, once it plays again.
  void setMediaWaiting(bool waiting);
  // The host's pause, which the view's own pauses and resumptions (a held finger, loading
  // media) leave alone.
  void hold(bool held);
  void goToNext();
  void goToPrevious();
  // Skips the rest of the group (it is not completed): the next group's first page, or closes
  // after the last group.
  void goToNextGroup();
  // The previous group's first page; on the first group, its first page again.
  void goToPreviousGroup();
  // Ends the viewing once and requests dismissal.
  void close();
  void vote(const std::string& optionId);
  void handleSwipeUp();
  // Reports the call-to-action; the view opens the link itself.
  void handleCtaTap();

 private:
  struct SwipeAction {
    std::string itemId;
    Date timestamp;
  };

  StoryViewerViewModel(std::vector<StoryGroup> groups, int startIndex, std::string placementKey,
                       StoryServices services, StoryImagePipeline& pipeline, VideoStreams& videos);

  void tick();
  void beginItem(bool trackOpen);
  // Past the last group the viewer closes.
  void enterNextGroupOrClose();
  void scheduleItemView(const std::string& itemId, const std::string& groupId);
  void stopItemViewTimer();
  void trackWidgetView(const StoryGroup& group, const StoryItem& item);
  void prefetchUpcomingMedia();
  // The next page of the group and the next group's first page, those that exist.
  std::vector<const StoryItem*> upcomingPages() const;
  void runProgressTimer();
  std::shared_ptr<Timer> scheduleProgressTimer();

  void finishVote(const Result<VoteResponse>& result, const std::string& itemId, const std::string& optionId,
                  WidgetType widgetType, const std::string& groupId);
  void refreshAfterVote(const std::string& itemId, const std::string& optionId);
  void applyRefresh(std::vector<StoryGroup> groups, const std::string& itemId, const std::string& optionId);
  bool isCurrentItem(const std::string& itemId) const;
  void tell(StoryViewerEvent::Kind kind);

  Published<int> currentGroupIndex_;
  Published<int> currentItemIndex_{*this, 0};
  Published<double> progress_{*this, 0};
  Published<bool> shouldDismiss_{*this, false};
  Published<bool> mediaWaiting_{*this, false};
  Published<bool> isHeld_{*this, false};

  StorySession& session_;
  EventReporter& events_;
  StoryVoting voting_;
  StoryImagePipeline& pipeline_;
  VideoStreams& videos_;
  std::vector<StoryGroup> groups_;
  std::string placementKey_;
  std::shared_ptr<Timer> timer_;
  StoryAPI api_;
  bool hasStarted_ = false;
  bool isPaused_ = false;
  bool hasTrackedClose_ = false;
  std::set<std::string> completedGroupIDs_;
  std::set<std::string> trackedWidgetViews_;
  std::optional<SwipeAction> lastSwipeAction_;
  OpenURLAction openURLAction_;
  StoryViewerListener listener_;
  std::shared_ptr<Timer> itemViewTimer_;
  std::optional<std::string> currentItemViewId_;
};

}  // namespace orvane
