#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QUrl>

namespace orvane {
class StorySDKEvent;
}

namespace orvane::quick {

// The SDK's events in QML, one signal per event with the event's fields; fields an event does not
// carry are empty. `kind` is the event's name: storyGroupImpression, storyOpen,
// storyItemImpression, storyClose, storyCompleted, pollViewed, pollVoted, quizViewed,
// quizAnswered, swipeUp, bannerImpression or bannerClick.
//
//   Connections {
//     target: StoryEvents
//     function onOccurred(kind, groupId, itemId, bannerId, bannerItemId, placementKey, url) { ... }
//   }
//
// Created on first use in QML; an event handler the host set in C++ before then is kept and
// called first.
class StoryEvents : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON

 public:
  explicit StoryEvents(QObject* parent = nullptr);

  static QString kindName(const StorySDKEvent& event);

 signals:
  void occurred(const QString& kind, const QString& groupId, const QString& itemId, const QString& bannerId,
                const QString& bannerItemId, const QString& placementKey, const QUrl& url);

 private:
  void forward(const StorySDKEvent& event);
};

}  // namespace orvane::quick
