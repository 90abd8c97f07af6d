#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>

namespace orvane::quick {

// Picks the returns to the foreground out of a stream of application states: a change to
// active after the application had been active before. The activation at start-up does not count.
class ActivationTracker {
 public:
  explicit ActivationTracker(Qt::ApplicationState initial)
      : active_(initial == Qt::ApplicationActive), everActive_(active_) {}

  bool becameActiveAgain(Qt::ApplicationState state);

 private:
  bool active_;
  bool everActive_;
};

// Emits when the application becomes active again (see ActivationTracker).
// In QML: ApplicationActivity { onBecameActiveAgain: reload() }
class ApplicationActivity : public QObject {
  Q_OBJECT
  QML_ELEMENT

 public:
  explicit ApplicationActivity(QObject* parent = nullptr);

 signals:
  void becameActiveAgain();

 private:
  ActivationTracker tracker_;
};

}  // namespace orvane::quick
