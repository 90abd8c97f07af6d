#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <memory>

#include "fixture_http_session.h"
#include "quick/stories/story_group_list.h"
#include "quick/stories/story_theme_value.h"

namespace orvane::quick::testing {

// What the QML tests reach as `fixture`: the fixture groups and themes as the views take them,
// the links the views opened, some of the events the SDK reported, and control over votes.
class StoryViewFixture : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList openedUrls READ openedUrls NOTIFY openedUrlsChanged)
  // "<kind>:<group id>" for group impressions, closes, swipe-ups and poll votes.
  Q_PROPERTY(QStringList events READ events NOTIFY eventsChanged)
  Q_PROPERTY(bool holdVotes READ holdVotes WRITE setHoldVotes NOTIFY holdVotesChanged)

 public:
  StoryViewFixture(std::shared_ptr<FixtureHttpSession> session, QByteArray storiesBody);

  QStringList openedUrls() const { return openedUrls_; }
  QStringList events() const { return events_; }
  bool holdVotes() const { return holdVotes_; }
  void setHoldVotes(bool hold);

  void recordOpened(const QString& url);
  void recordEvent(const QString& event);

  // The fixture placement's groups, mapped as the SDK maps them.
  Q_INVOKABLE orvane::quick::StoryGroupList homeGroups() const;
  Q_INVOKABLE orvane::quick::StoryGroupList noGroups() const { return {}; }
  // A theme from the service's words: { progressStyle, bubbleStyle, primaryColor, ... }.
  Q_INVOKABLE orvane::quick::StoryThemeValue theme(const QVariantMap& words) const;
  Q_INVOKABLE void releaseVotes() { session_->releaseVotes(); }
  Q_INVOKABLE void reset();

 signals:
  void openedUrlsChanged();
  void eventsChanged();
  void holdVotesChanged();

 private:
  std::shared_ptr<FixtureHttpSession> session_;
  QByteArray storiesBody_;
  QStringList openedUrls_;
  QStringList events_;
  bool holdVotes_ = false;
};

}  // namespace orvane::quick::testing
