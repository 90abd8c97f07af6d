// What the viewer does when the user answers a poll or quiz, swipes up or taps the call-to-action.
#include <algorithm>
#include <utility>

#include <orvane/core/main_thread.h>
#include <orvane/stories/story_viewer_view_model.h>

namespace orvane {

void StoryViewerViewModel::vote(const std::string& optionId) {
  ORVANE_ASSERT_MAIN_THREAD();
  const StoryGroup* group = currentGroup();
  const StoryItem* item = currentItem();
  if (!group || !item || !voting_.begin(*item, optionId)) return;
  const WidgetType widgetType = item->widgetType();
  std::weak_ptr<StoryViewerViewModel> weakSelf = weak_from_this();
  api_.recordVote(item->id(), optionId,
                  [weakSelf, itemId = item->id(), optionId, widgetType,
                   groupId = group->id()](const Result<VoteResponse>& result) {
                    if (auto self = weakSelf.lock())
                      self->finishVote(result, itemId, optionId, widgetType, groupId);
                  });
}

void StoryViewerViewModel::finishVote(const Result<VoteResponse>& result, const std::string& itemId,
                                      const std::string& optionId, WidgetType widgetType,
                                      const std::string& groupId) {
  if (!voting_.finish(result, itemId, optionId, isCurrentItem(itemId))) return;
  if (widgetType == WidgetType::poll) {
    events_.report(StorySDKEvent::pollVoted(groupId, itemId), placementKey_);
  } else {
    events_.report(StorySDKEvent::quizAnswered(groupId, itemId), placementKey_);
  }
  refreshAfterVote(itemId, optionId);
}

void StoryViewerViewModel::refreshAfterVote(const std::string& itemId, const std::string& optionId) {
  std::weak_ptr<StoryViewerViewModel> weakSelf = weak_from_this();
  api_.fetchStories(placementKey_, [weakSelf, itemId, optionId](Result<std::vector<StoryGroup>> result) {
    auto self = weakSelf.lock();
    if (!self || !result.ok()) return;
    self->applyRefresh(std::move(result).value(), itemId, optionId);
  });
}

// Fresh counts without restarting the page, its progress or its timers.
void StoryViewerViewModel::applyRefresh(std::vector<StoryGroup> groups, const std::string& itemId,
                                        const std::string& optionId) {
  groups_ = std::move(groups);
  const int lastGroup = std::max(static_cast<int>(groups_.size()) - 1, 0);
  currentGroupIndex_.set(std::min(currentGroupIndex(), lastGroup));
  if (const StoryGroup* group = currentGroup()) {
    const int lastItem = std::max(static_cast<int>(group->items().size()) - 1, 0);
    currentItemIndex_.set(std::min(currentItemIndex(), lastItem));
  }

  const StoryItem* item = currentItem();
  if (item && item->id() == itemId) voting_.refresh(*item, optionId);
}

void StoryViewerViewModel::handleSwipeUp() {
  ORVANE_ASSERT_MAIN_THREAD();
  const StoryGroup* group = currentGroup();
  const StoryItem* item = currentItem();
  if (!group || !item || item->widgetType() != WidgetType::swipe) return;

  const Date now = session_.platform().clock->now();
  if (lastSwipeAction_ && lastSwipeAction_->itemId == item->id() &&
      now - lastSwipeAction_->timestamp < swipeDebounce)
    return;
  lastSwipeAction_ = SwipeAction{item->id(), now};

  // Copied before reporting: the link outlives a handler that navigates or closes the viewer.
  const std::optional<Url> link = item->swipeCallbackURL();
  events_.report(StorySDKEvent::swipeUp(group->id(), item->id()), placementKey_);
  if (!link) {
    goToNext();
  } else if (auto open = openURLAction_) {
    open(*link);
  }
}

void StoryViewerViewModel::handleCtaTap() {
  ORVANE_ASSERT_MAIN_THREAD();
  const StoryGroup* group = currentGroup();
  const StoryItem* item = currentItem();
  if (!group || !item) return;
  events_.trackStoryEvent(SdkEventType::ctaClick, placementKey_, group->id(), item->id());
}

}  // namespace orvane
