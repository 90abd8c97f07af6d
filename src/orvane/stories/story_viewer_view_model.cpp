#include <orvane/stories/story_viewer_view_model.h>

#include <algorithm>
#include <utility>

#include <orvane/core/main_thread.h>
#include <orvane/core/seen_story_groups.h>

namespace orvane {
namespace {

constexpr double kTickSeconds = std::chrono::duration<double>(StoryViewerViewModel::tickInterval).count();
// Zero, negative and tiny durations still play for a tenth of a second.
constexpr double kMinimumPageSeconds = 0.1;
// Summing equal steps drifts below 1 (a 7 s page would need 141 firings instead of 140).
constexpr double kProgressTolerance = 1e-9;

int clampedStartIndex(const std::vector<StoryGroup>& groups, int startIndex) {
  if (groups.empty()) return 0;
  return std::clamp(startIndex, 0, static_cast<int>(groups.size()) - 1);
}

template <typename T>
bool isIndexOf(int index, const std::vector<T>& values) {
  return index >= 0 && static_cast<std::size_t>(index) < values.size();
}

}  // namespace

std::shared_ptr<StoryViewerViewModel> StoryViewerViewModel::create(std::vector<StoryGroup> groups,
                                                                   int startIndex, std::string placementKey,
                                                                   StoryServices services,
                                                                   StoryImagePipeline& pipeline,
                                                                   VideoStreams& videos) {
  return std::shared_ptr<StoryViewerViewModel>(new StoryViewerViewModel(
      std::move(groups), startIndex, std::move(placementKey), services, pipeline, videos));
}

StoryViewerViewModel::StoryViewerViewModel(std::vector<StoryGroup> groups, int startIndex,
                                           std::string placementKey, StoryServices services,
                                           StoryImagePipeline& pipeline, VideoStreams& videos)
    : currentGroupIndex_(*this, clampedStartIndex(groups, startIndex)),
      session_(services.session),
      events_(services.events),
      voting_(*this, services.session),
      pipeline_(pipeline),
      videos_(videos),
      groups_(std::move(groups)),
      placementKey_(std::move(placementKey)),
      api_(services.session.platform().http, services.session) {}

StoryViewerViewModel::~StoryViewerViewModel() {
  if (timer_) timer_->invalidate();
  if (itemViewTimer_) itemViewTimer_->invalidate();
  videos_.dropPrefetched();
}

const StoryGroup* StoryViewerViewModel::currentGroup() const {
  const int index = currentGroupIndex();
  return isIndexOf(index, groups_) ? &groups_[static_cast<std::size_t>(index)] : nullptr;
}

const StoryItem* StoryViewerViewModel::currentItem() const {
  const StoryGroup* group = currentGroup();
  if (!group) return nullptr;
  const int index = currentItemIndex();
  return isIndexOf(index, group->items()) ? &group->items()[static_cast<std::size_t>(index)] : nullptr;
}

const StoryTheme& StoryViewerViewModel::theme() const {
  const StoryGroup* group = currentGroup();
  return group ? group->theme() : StoryTheme::default_();
}

void StoryViewerViewModel::start() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (groups_.empty()) {
    shouldDismiss_.set(true);
    return;
  }
  if (!hasStarted_) {
    // Started only after the first page began, which is told as the opening, not a page change.
    beginItem(true);
    hasStarted_ = true;
    tell(StoryViewerEvent::Kind::opened);
  }
  isPaused_ = false;
  runProgressTimer();
}

void StoryViewerViewModel::startAtPage(int itemIndex) {
  ORVANE_ASSERT_MAIN_THREAD();
  const StoryGroup* group = currentGroup();
  if (hasStarted_ || !group || group->items().empty()) return;
  currentItemIndex_.set(std::clamp(itemIndex, 0, static_cast<int>(group->items().size()) - 1));
}

void StoryViewerViewModel::tell(StoryViewerEvent::Kind kind) {
  if (!listener_) return;
  const StoryGroup* group = currentGroup();
  const StoryItem* item = currentItem();
  // A copy: the listener may replace itself or close the viewer.
  auto listener = listener_;
  listener(StoryViewerEvent{kind, placementKey_, group ? group->id() : std::string(),
                            item ? item->id() : std::string()});
}

void StoryViewerViewModel::pause() {
  ORVANE_ASSERT_MAIN_THREAD();
  isPaused_ = true;
  if (timer_) timer_->invalidate();
  timer_.reset();
}

void StoryViewerViewModel::resume() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!hasStarted_) return;
  isPaused_ = false;
  runProgressTimer();
}

void StoryViewerViewModel::setMediaWaiting(bool waiting) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (waiting == isMediaWaiting()) return;
  mediaWaiting_.set(waiting);
  if (waiting) {
    if (timer_) timer_->invalidate();
    timer_.reset();
  } else if (hasStarted_ && !isPaused_ && !hasTrackedClose_) {
    runProgressTimer();
  }
}

void StoryViewerViewModel::runProgressTimer() {
  if (!timer_ && !isMediaWaiting() && !isHeld()) timer_ = scheduleProgressTimer();
}

void StoryViewerViewModel::hold(bool held) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (held == isHeld()) return;
  isHeld_.set(held);
  held ? pause() : resume();
}

std::shared_ptr<Timer> StoryViewerViewModel::scheduleProgressTimer() {
  // Weak on both sides: the queue owns the timer's block, and the block must not own the queue.
  std::weak_ptr<MainQueue> queue = session_.platform().mainQueue;
  std::weak_ptr<StoryViewerViewModel> weakSelf = weak_from_this();
  return session_.platform().mainQueue->schedule(tickInterval, true, [queue, weakSelf] {
    if (auto mainQueue = queue.lock()) {
      mainQueue->post([weakSelf] {
        if (auto self = weakSelf.lock()) self->tick();
      });
    }
  });
}

void StoryViewerViewModel::tick() {
  const StoryItem* item = currentItem();
  if (!item) return;
  const double duration = item->duration() > kMinimumPageSeconds ? item->duration() : kMinimumPageSeconds;
  const double advanced = progress() + kTickSeconds / duration;
  if (advanced >= 1.0 - kProgressTolerance) {
    progress_.set(1.0);
    goToNext();
  } else {
    progress_.set(advanced);
  }
}

void StoryViewerViewModel::goToNext() {
  ORVANE_ASSERT_MAIN_THREAD();
  const StoryGroup* group = currentGroup();
  if (!group) return;
  stopItemViewTimer();

  if (static_cast<std::size_t>(currentItemIndex()) + 1 < group->items().size()) {
    currentItemIndex_.set(currentItemIndex() + 1);
    beginItem(false);
    return;
  }
  const std::string groupId = group->id();
  if (completedGroupIDs_.insert(groupId).second)
    events_.report(StorySDKEvent::storyCompleted(groupId), placementKey_);
  enterNextGroupOrClose();
}

void StoryViewerViewModel::enterNextGroupOrClose() {
  if (static_cast<std::size_t>(currentGroupIndex()) + 1 >= groups_.size()) {
    close();
    return;
  }
  currentGroupIndex_.set(currentGroupIndex() + 1);
  currentItemIndex_.set(0);
  beginItem(true);
}

void StoryViewerViewModel::goToPrevious() {
  ORVANE_ASSERT_MAIN_THREAD();
  stopItemViewTimer();
  // A page well under way restarts in place, unreported and not armed to count as viewed again.
  if (progress() > 0.2) {
    progress_.set(0);
  } else if (currentItemIndex() >= 1) {
    currentItemIndex_.set(currentItemIndex() - 1);
    beginItem(false);
  } else if (currentGroupIndex() >= 1) {
    currentGroupIndex_.set(currentGroupIndex() - 1);
    const StoryGroup* group = currentGroup();
    const auto pageCount = group ? group->items().size() : 0;
    currentItemIndex_.set(pageCount > 0 ? static_cast<int>(pageCount) - 1 : 0);
    beginItem(true);
  } else {
    progress_.set(0);
  }
}

void StoryViewerViewModel::goToNextGroup() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!currentGroup()) return;
  stopItemViewTimer();
  enterNextGroupOrClose();
}

void StoryViewerViewModel::goToPreviousGroup() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!currentGroup()) return;
  stopItemViewTimer();
  if (currentGroupIndex() >= 1) {
    currentGroupIndex_.set(currentGroupIndex() - 1);
    currentItemIndex_.set(0);
    beginItem(true);
  } else if (currentItemIndex() >= 1) {
    currentItemIndex_.set(0);
    beginItem(false);
  } else {
    progress_.set(0);
  }
}

void StoryViewerViewModel::close() {
  ORVANE_ASSERT_MAIN_THREAD();
  if (hasTrackedClose_) return;
  hasTrackedClose_ = true;
  pause();
  videos_.dropPrefetched();
  stopItemViewTimer();
  if (const StoryGroup* group = currentGroup())
    events_.report(StorySDKEvent::storyClose(group->id()), placementKey_);
  shouldDismiss_.set(true);
  if (hasStarted_) tell(StoryViewerEvent::Kind::closed);
}

void StoryViewerViewModel::beginItem(bool trackOpen) {
  progress_.set(0);
  lastSwipeAction_.reset();

  // The groups are only ever replaced by a later network answer, so these pointers hold throughout.
  if (const StoryGroup* group = currentGroup()) {
    if (trackOpen) events_.report(StorySDKEvent::storyOpen(group->id()), placementKey_);
    if (const StoryItem* item = currentItem()) {
      if (static_cast<std::size_t>(currentItemIndex()) + 1 == group->items().size())
        session_.seenStoryGroups().markSeen(group->id());
      events_.report(StorySDKEvent::storyItemImpression(group->id(), item->id()), placementKey_);
      scheduleItemView(item->id(), group->id());
      voting_.restore(*item);
      trackWidgetView(*group, *item);
    }
  }
  prefetchUpcomingMedia();
  if (hasStarted_ && !hasTrackedClose_) tell(StoryViewerEvent::Kind::pageChanged);
}

void StoryViewerViewModel::scheduleItemView(const std::string& itemId, const std::string& groupId) {
  stopItemViewTimer();
  currentItemViewId_ = itemId;
  std::weak_ptr<MainQueue> queue = session_.platform().mainQueue;
  std::weak_ptr<StoryViewerViewModel> weakSelf = weak_from_this();
  itemViewTimer_ =
      session_.platform().mainQueue->schedule(itemViewDelay, false, [queue, weakSelf, itemId, groupId] {
        auto mainQueue = queue.lock();
        if (!mainQueue) return;
        mainQueue->post([weakSelf, itemId, groupId] {
          auto self = weakSelf.lock();
          if (!self || !self->isCurrentItem(itemId)) return;
          self->events_.trackStoryEvent(SdkEventType::storyItemView, self->placementKey_, groupId, itemId);
        });
      });
}

void StoryViewerViewModel::stopItemViewTimer() {
  if (itemViewTimer_) itemViewTimer_->invalidate();
  itemViewTimer_.reset();
  currentItemViewId_.reset();
}

void StoryViewerViewModel::trackWidgetView(const StoryGroup& group, const StoryItem& item) {
  if (!trackedWidgetViews_.insert(item.id()).second) return;
  if (item.widgetType() == WidgetType::poll) {
    events_.report(StorySDKEvent::pollViewed(group.id(), item.id()), placementKey_);
  } else if (item.widgetType() == WidgetType::quiz) {
    events_.report(StorySDKEvent::quizViewed(group.id(), item.id()), placementKey_);
  }
}

void StoryViewerViewModel::prefetchUpcomingMedia() {
  // Pictures whole through the image pipeline; videos only their first seconds, into the stream
  // their player will share. The current page's video is the player's own to fetch.
  std::vector<std::optional<Url>> images;
  std::vector<Url> videos;
  const StoryItem* current = currentItem();
  if (current && current->mediaType() != StoryMediaType::video) images.push_back(current->mediaURL());
  for (const StoryItem* page : upcomingPages()) {
    if (!page->mediaURL()) continue;
    if (page->mediaType() == StoryMediaType::video) videos.push_back(*page->mediaURL());
    else images.push_back(page->mediaURL());
  }
  std::weak_ptr<StoryViewerViewModel> weakSelf = weak_from_this();
  session_.platform().mainQueue->post([weakSelf, images = std::move(images), videos = std::move(videos)] {
    auto self = weakSelf.lock();
    if (!self) return;
    self->pipeline_.prefetch(images);
    if (!videos.empty()) self->videos_.prefetch(videos);
  });
}

std::vector<const StoryItem*> StoryViewerViewModel::upcomingPages() const {
  std::vector<const StoryItem*> pages;
  const StoryGroup* group = currentGroup();
  if (!group) return pages;
  const int nextItem = currentItemIndex() + 1;
  if (isIndexOf(nextItem, group->items())) pages.push_back(&group->items()[static_cast<std::size_t>(nextItem)]);
  const int nextGroup = currentGroupIndex() + 1;
  if (isIndexOf(nextGroup, groups_) && !groups_[static_cast<std::size_t>(nextGroup)].items().empty())
    pages.push_back(&groups_[static_cast<std::size_t>(nextGroup)].items().front());
  return pages;
}

bool StoryViewerViewModel::isCurrentItem(const std::string& itemId) const {
  const StoryItem* item = currentItem();
  return item && item->id() == itemId;
}

}  // namespace orvane
