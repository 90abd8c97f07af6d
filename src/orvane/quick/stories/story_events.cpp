#include <orvane/quick/stories/story_events.h>

#include <QPointer>

#include <orvane/core/story_sdk.h>
#include <orvane/core/story_sdk_event.h>

namespace orvane::quick {
namespace {

QString text(const std::optional<std::string>& value) { return QString::fromStdString(value.value_or("")); }

}  // namespace

StoryEvents::StoryEvents(QObject* parent) : QObject(parent) {
  auto& sdk = StorySDK::shared();
  // The handler outlives this object when the host replaces it later; it holds it weakly.
  sdk.setEventHandler([previous = sdk.eventHandler(), self = QPointer(this)](const StorySDKEvent& event) {
    if (previous) previous(event);
    if (self) self->forward(event);
  });
}

void StoryEvents::forward(const StorySDKEvent& event) {
  emit occurred(kindName(event), text(event.groupId()), text(event.itemId()), text(event.bannerId()),
                text(event.bannerItemId()), text(event.placementKey()),
                event.url() ? QUrl(QString::fromStdString(event.url()->string())) : QUrl());
}

QString StoryEvents::kindName(const StorySDKEvent& event) {
  using Kind = StorySDKEvent::Kind;
  switch (event.kind()) {
    case Kind::storyGroupImpression:
      return QStringLiteral("storyGroupImpression");
    case Kind::storyOpen:
      return QStringLiteral("storyOpen");
    case Kind::storyItemImpression:
      return QStringLiteral("storyItemImpression");
    case Kind::storyClose:
      return QStringLiteral("storyClose");
    case Kind::storyCompleted:
      return QStringLiteral("storyCompleted");
    case Kind::pollViewed:
      return QStringLiteral("pollViewed");
    case Kind::pollVoted:
      return QStringLiteral("pollVoted");
    case Kind::quizViewed:
      return QStringLiteral("quizViewed");
    case Kind::quizAnswered:
      return QStringLiteral("quizAnswered");
    case Kind::swipeUp:
      return QStringLiteral("swipeUp");
    case Kind::bannerImpression:
      return QStringLiteral("bannerImpression");
    case Kind::bannerClick:
      return QStringLiteral("bannerClick");
  }
  return {};
}

}  // namespace orvane::quick
