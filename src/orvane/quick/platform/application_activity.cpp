#include <orvane/quick/platform/application_activity.h>

#include <QGuiApplication>

namespace orvane::quick {

bool ActivationTracker::becameActiveAgain(Qt::ApplicationState state) {
  bool nowActive = state == Qt::ApplicationActive;
  bool again = nowActive && !active_ && everActive_;
  active_ = nowActive;
  everActive_ = everActive_ || nowActive;
  return again;
}

ApplicationActivity::ApplicationActivity(QObject* parent)
    : QObject(parent), tracker_(QGuiApplication::applicationState()) {
  auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (application == nullptr) return;
  connect(application, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (tracker_.becameActiveAgain(state)) emit becameActiveAgain();
  });
}

}  // namespace orvane::quick
