#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSet>

namespace orvane::quick {

// Whether a full-screen presentation (the story viewer) lies over a window's content. Views
// beneath it stop what only matters on screen while it does, as they do when hidden: a covered
// item is still visible to Qt Quick, and each change it makes costs a frame of the whole window.
class WindowCover : public QObject {
  Q_OBJECT
  QML_ANONYMOUS
  Q_PROPERTY(bool covered READ covered NOTIFY coveredChanged)

 public:
  using QObject::QObject;

  bool covered() const { return !covers_.isEmpty(); }
  void setCovering(QObject* cover, bool covering);

 signals:
  void coveredChanged();

 private:
  QSet<QObject*> covers_;
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
};

}  // namespace orvane::quick
