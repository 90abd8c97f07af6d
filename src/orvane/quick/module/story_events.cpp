#include <orvane/quick/module/story_events.h>

#include <orvane/core/story_sdk.h>
#include <orvane/core/story_sdk_event.h>

namespace orvane::quick {
namespace {

QString text(const std::optional<std::string>& value) { return QString::fromStdString(value.value_or("")); }

}  // namespace

StoryEvents::StoryEvents(QObject* parent)
    : QObject(parent),
      listener_(StorySDK::shared().addEventListener([this](const StorySDKEvent& event) { forward(event); })) {}

StoryEvents::~StoryEvents() { StorySDK::shared().removeEventListener(listener_); }

void StoryEvents::forward(const StorySDKEvent& event) {
  emit occurred(kindOf(event), text(event.groupId()), text(event.itemId()), text(event.bannerId()),
                text(event.bannerItemId()), text(event.placementKey()),
                event.url() ? QUrl(QString::fromStdString(event.url()->string())) : QUrl());
}

StoryEvents::Kind StoryEvents::kindOf(const StorySDKEvent& event) {
  using SDKKind = StorySDKEvent::Kind;
  switch (event.kind()) {
    case SDKKind::storyGroupImpression:
      return StoryGroupImpression;
    case SDKKind::storyOpen:
      return StoryOpen;
    case SDKKind::storyItemImpression:
      return StoryItemImpression;
    case SDKKind::storyClose:
      return StoryClose;
    case SDKKind::storyCompleted:
      return StoryCompleted;
    case SDKKind::pollViewed:
      return PollViewed;
    case SDKKind::pollVoted:
      return PollVoted;
    case SDKKind::quizViewed:
      return QuizViewed;
    case SDKKind::quizAnswered:
      return QuizAnswered;
    case SDKKind::swipeUp:
      return SwipeUp;
    case SDKKind::bannerImpression:
      return BannerImpression;
    case SDKKind::bannerClick:
      return BannerClick;
  }
  return StoryOpen;
}

}  // namespace orvane::quick
