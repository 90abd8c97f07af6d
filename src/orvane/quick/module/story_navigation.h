#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QString>
#include <QUrl>

namespace orvane {
struct StoryPresentation;
struct StoryViewerEvent;
}  // namespace orvane

namespace orvane::quick {

// Opening, steering and sharing stories from QML, with or without a bar on screen. While this
// singleton exists (any mention in QML creates it) the SDK's viewers opened by id or link, from
// QML or C++ (StorySDK::openStory), present over `window`.
//
//   StoryNavigation.linkScheme = "myapp"
//   StoryNavigation.shareEnabled = true
//   Connections {
//     target: StoryNavigation
//     function onShareRequested(link, title) { ... }
//     function onPageChanged(placementKey, groupId, pageId) { ... }
//   }
//   StoryNavigation.open("home", groupId, pageId)
class StoryNavigation : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON
  // The host's scheme for story links ("myapp" for myapp://stories/...); empty means none.
  Q_PROPERTY(QString linkScheme READ linkScheme WRITE setLinkScheme NOTIFY linkSchemeChanged)
  // Viewers offer a share button and emit shareRequested; also needs a link scheme.
  Q_PROPERTY(bool shareEnabled READ shareEnabled WRITE setShareEnabled NOTIFY shareEnabledChanged)
  // Where viewers opened by id present; the focused window, else the first one, when unset.
  Q_PROPERTY(QQuickWindow* window READ window WRITE setWindow NOTIFY windowChanged)
  Q_PROPERTY(bool isOpen READ isOpen NOTIFY isOpenChanged)

 public:
  // StoryOpenError's cases, in its order.
  enum OpenError { NoPresenter, InvalidLink, LoadFailed, UnknownGroup, UnknownPage, Superseded };
  Q_ENUM(OpenError)

  explicit StoryNavigation(QObject* parent = nullptr);
  ~StoryNavigation() override;

  QString linkScheme() const;
  void setLinkScheme(const QString& scheme);
  bool shareEnabled() const { return shareEnabled_; }
  void setShareEnabled(bool enabled);
  QQuickWindow* window() const { return window_; }
  void setWindow(QQuickWindow* window);
  bool isOpen() const { return isOpen_; }

  // Opens the placement's story at the group (and page, when not empty); refusals come as
  // refused(), and are logged.
  Q_INVOKABLE void open(const QString& placementKey, const QString& groupId, const QString& pageId = {});
  Q_INVOKABLE void openLink(const QString& link);
  Q_INVOKABLE void pause();
  Q_INVOKABLE void resume();
  Q_INVOKABLE void next();
  Q_INVOKABLE void previous();
  Q_INVOKABLE void close();

 signals:
  void linkSchemeChanged();
  void shareEnabledChanged();
  void windowChanged();
  void isOpenChanged();
  void opened(const QString& placementKey, const QString& groupId, const QString& pageId);
  void pageChanged(const QString& placementKey, const QString& groupId, const QString& pageId);
  void closed(const QString& placementKey, const QString& groupId, const QString& pageId);
  void refused(orvane::quick::StoryNavigation::OpenError error, const QString& reason);
  void shareRequested(const QString& link, const QString& title);

 private:
  bool present(const StoryPresentation& presentation);
  void hear(const StoryViewerEvent& event);
  QQuickWindow* targetWindow() const;

  bool shareEnabled_ = false;
  bool isOpen_ = false;
  QPointer<QQuickWindow> window_;
};

}  // namespace orvane::quick
