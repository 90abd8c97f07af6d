#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <mutex>
#include <vector>

#include <orvane/core/story_sdk_event.h>
#include <orvane/platform/http.h>
#include <orvane/platform/url_opener.h>
#include <orvane/quick/stories/story_group_list.h>
#include <orvane/quick/stories/story_theme_value.h>

namespace orvane::quick::testing {

// The world of the QML tests, reached as `fixture`. It is the content service, answering on pool
// threads like a transport:
//   .../placements/home/stories    the fixture groups (fixtures/home.json)
//   .../placements/empty/stories   no groups
//   other placements               500
//   .../held-*                     as below, once releaseImages() is called
//   .../broken-*                   404
//   .../white.png                  a small white PNG of the stories' shape
//   any other *.png                a small red PNG
//   any *.avi                      a one-second video, where servesVideo
//   .../vote                       the chosen option with 10 votes, once releaseVotes() is called
//   anything else                  200 with an empty body (so a video page's video fails)
// and the link opener; it keeps the links opened and some of the events the SDK reports.
class StoryViewFixture final : public QObject, public HttpSession, public UrlOpener {
  Q_OBJECT
  Q_PROPERTY(QStringList openedUrls MEMBER openedUrls_ NOTIFY openedUrlsChanged)
  // "<kind>:<group id>" for group impressions, closes, swipe-ups and poll votes.
  Q_PROPERTY(QStringList events MEMBER events_ NOTIFY eventsChanged)
  // Whether the build has a video to serve (it comes with the content service's tools).
  Q_PROPERTY(bool servesVideo READ servesVideo CONSTANT)

 public:
  StoryViewFixture();

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;
  void open(const Url& url) override;
  void record(const StorySDKEvent& event);

  // The fixture placement's groups, mapped as the SDK maps them.
  Q_INVOKABLE orvane::quick::StoryGroupList homeGroups() const;
  Q_INVOKABLE orvane::quick::StoryGroupList noGroups() const { return {}; }
  // Groups from a stories answer of the service, `{"groups": [...]}`, mapped as the SDK maps them.
  Q_INVOKABLE orvane::quick::StoryGroupList groupsFrom(const QString& body) const;
  // A theme from the service's words: { progressStyle, bubbleStyle, primaryColor, ... }.
  Q_INVOKABLE orvane::quick::StoryThemeValue theme(const QVariantMap& words) const;
  bool servesVideo() const { return !videoBytes_.isEmpty(); }
  Q_INVOKABLE void releaseVotes();
  Q_INVOKABLE void releaseImages();
  // Where layout tests save what they render, for a person to look at: $ORVANE_LAYOUT_SHOTS,
  // empty when unset (nothing is saved).
  Q_INVOKABLE QString shotsDirectory() const;
  // Forgets the links and events and answers held votes and images.
  Q_INVOKABLE void reset();

 signals:
  void openedUrlsChanged();
  void eventsChanged();

 private:
  HttpResult answer(const HttpRequest& request) const;

  const QByteArray storiesBody_;
  const QByteArray pngBytes_;
  const QByteArray whitePngBytes_;
  const QByteArray videoBytes_;
  std::mutex mutex_;
  std::vector<std::function<void()>> heldVotes_;
  std::vector<std::function<void()>> heldImages_;
  QStringList openedUrls_;
  QStringList events_;
};

}  // namespace orvane::quick::testing
