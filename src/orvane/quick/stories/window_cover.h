#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSet>

namespace orvane::quick {

// Whether a full-screen presentation (the story viewer) lies over a window's content. Views
// beneath it stop what only matters on screen while it does, as they do when hidden: a covered
// item is still visible to Qt Quick, and each change it makes costs a frame of the whole window.
//
// `hidden` is narrower: a cover lies over all of the window, opaque and still, so nothing beneath
// shows at all and views there draw nothing (each item drawn beneath costs every frame of the
// cover, on a software renderer in particular).
class WindowCover : public QObject {
  Q_OBJECT
  QML_ANONYMOUS
  Q_PROPERTY(bool covered READ covered NOTIFY coveredChanged)
  Q_PROPERTY(bool hidden READ hidden NOTIFY hiddenChanged)

 public:
  using QObject::QObject;

  bool covered() const { return !covers_.isEmpty(); }
  bool hidden() const { return !hiders_.isEmpty(); }
  void setCovering(QObject* cover, bool covering);
  void setHiding(QObject* cover, bool hiding);

 signals:
  void coveredChanged();
  void hiddenChanged();

 private:
  // Adds or removes `cover`; true when the set went from empty to not or back.
  bool track(QSet<QObject*>& set, QObject* cover, bool member);

  QSet<QObject*> covers_;
  QSet<QObject*> hiders_;
};

// As the singleton WindowCovers of the "OrvaneStories" module:
//   WindowCovers.of(Window.window)?.covered
//   WindowCovers.setCovering(popup, Window.window, popup.visible)
class WindowCovers : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON

 public:
  using QObject::QObject;

  // The cover state of `window`, owned by the window; null without one.
  Q_INVOKABLE orvane::quick::WindowCover* of(QQuickWindow* window) const;
  // `cover` lies over `window` while `covering`, and stops covering it when destroyed.
  Q_INVOKABLE void setCovering(QObject* cover, QQuickWindow* window, bool covering) const;
  // `cover` hides all of `window` while `hiding`, and stops when destroyed.
  Q_INVOKABLE void setHiding(QObject* cover, QQuickWindow* window, bool hiding) const;
};

}  // namespace orvane::quick
