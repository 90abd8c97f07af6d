#pragma once

#include <QObject>
#include <memory>

#include <orvane/platform/main_queue.h>

QT_FORWARD_DECLARE_CLASS(QThread)

namespace orvane::quick {

// The GUI thread of the running QGuiApplication as the SDK's main queue. Build it after the
// application object and destroy it on the GUI thread; tasks and timers still pending then are
// dropped. Timers are scheduled and invalidated on the GUI thread; they keep firing when their
// handle is released, only invalidate() stops them.
class QtMainQueue final : public MainQueue {
 public:
  // Throws std::logic_error when no QCoreApplication exists yet.
  QtMainQueue();
  ~QtMainQueue() override;

  void post(std::function<void()> task) override;
  std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) override;
  bool isMainThread() const override;

 private:
  QThread* mainThread_;
  // Receives the posted calls and parents the timers, so both die with the queue.
  std::unique_ptr<QObject> context_;
};

}  // namespace orvane::quick
