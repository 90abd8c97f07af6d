#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include <orvane/core/observable.h>

namespace orvane::quick {

// Observables speak just BEFORE a change; a QML wrapper can only read the new state afterwards.
// The relay turns every burst of notices into one call of `afterChange`, queued on the context
// object's thread, so the wrapper re-reads once the change is done. Dropped with the context.
class ObservableRelay {
 public:
  ObservableRelay(QObject* context, std::function<void()> afterChange)
      : context_(context), afterChange_(std::move(afterChange)) {}
  ObservableRelay(const ObservableRelay&) = delete;
  ObservableRelay& operator=(const ObservableRelay&) = delete;

  // Follows `observable` instead of whatever was followed before.
  void follow(Observable& observable);

 private:
  void schedule();

  QPointer<QObject> context_;
  std::function<void()> afterChange_;
  Subscription subscription_;
  bool scheduled_ = false;
};

}  // namespace orvane::quick
