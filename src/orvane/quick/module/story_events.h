#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QUrl>
#include <cstdint>

namespace orvane {
class StorySDKEvent;
}

namespace orvane::quick {

/**
 * The SDK's events in QML: one signal per event with its kind and fields; fields an event does
 * not carry are empty. StoryEvents is one of the shared SDK's event listeners, beside the C++
 * event handler, so a handler a host sets later in C++ does not silence it.
 *
 * @code
 * Connections {
 *     target: StoryEvents
 *     function onOccurred(kind, groupId, itemId, bannerId, bannerItemId, placementKey, url) {
 *         if (kind === StoryEvents.StoryOpen) analytics.track("story", groupId)
 *     }
 * }
 * @endcode
 */
class StoryEvents : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON

 public:
  // What the user saw or did, as StorySDKEvent::Kind.
  enum Kind {
    StoryGroupImpression,
    StoryOpen,
    StoryItemImpression,
    StoryClose,
    StoryCompleted,
    PollViewed,
    PollVoted,
    QuizViewed,
    QuizAnswered,
    SwipeUp,
    BannerImpression,
    BannerClick,
  };
  Q_ENUM(Kind)

  explicit StoryEvents(QObject* parent = nullptr);
  ~StoryEvents() override;

  static Kind kindOf(const StorySDKEvent& event);

 signals:
  /** Every event the SDK reports, on the main thread, as it happens. */
  void occurred(orvane::quick::StoryEvents::Kind kind, const QString& groupId, const QString& itemId,
                const QString& bannerId, const QString& bannerItemId, const QString& placementKey,
                const QUrl& url);

 private:
  void forward(const StorySDKEvent& event);

  std::uint64_t listener_;
};

}  // namespace orvane::quick
