#include <orvane/quick/stories/observable_relay.h>

namespace orvane::quick {

void ObservableRelay::follow(Observable& observable) {
  subscription_ = observable.observe([this] { schedule(); });
}

void ObservableRelay::schedule() {
  if (scheduled_ || context_.isNull()) return;
  scheduled_ = true;
  // The context owns the relay, so the queued call never outlives it.
  QMetaObject::invokeMethod(
      context_.data(),
      [this] {
        scheduled_ = false;
        afterChange_();
      },
      Qt::QueuedConnection);
}

}  // namespace orvane::quick
