#include <orvane/quick/platform/qt_main_queue.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <cassert>
#include <limits>
#include <stdexcept>

namespace orvane::quick {
namespace {

class QtTimerHandle final : public Timer {
 public:
  explicit QtTimerHandle(QTimer* timer) : timer_(timer) {}

  // Deferred deletion, because the timer may be the one whose block is running right now.
  void invalidate() override {
    if (timer_.isNull()) return;
    timer_->stop();
    timer_->deleteLater();
    timer_.clear();
  }

 private:
  QPointer<QTimer> timer_;
};

int wholeMillisecondsRoundedUp(Microseconds interval) {
  auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(interval).count();
  if (milliseconds < 0) return 0;
  if (milliseconds > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(milliseconds);
}

}  // namespace

QtMainQueue::QtMainQueue() : mainThread_(nullptr), context_(std::make_unique<QObject>()) {
  auto* application = QCoreApplication::instance();
  if (application == nullptr) throw std::logic_error("QtMainQueue needs a QCoreApplication to exist first");
  mainThread_ = application->thread();
  if (context_->thread() != mainThread_) context_->moveToThread(mainThread_);
}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(std::function<void()> task) {
  if (!task) return;
  // A queued call is a posted event: the GUI thread runs them in posting order.
  QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

std::shared_ptr<Timer> QtMainQueue::schedule(Microseconds interval, bool repeats,
                                             std::function<void()> block) {
  assert(isMainThread() && "timers are scheduled from the main thread");
  auto* timer = new QTimer(context_.get());
  timer->setTimerType(Qt::PreciseTimer);
  timer->setSingleShot(!repeats);
  timer->setInterval(wholeMillisecondsRoundedUp(interval));
  QObject::connect(timer, &QTimer::timeout, timer, [timer, repeats, block = std::move(block)] {
    if (!repeats) timer->deleteLater();
    if (block) block();
  });
  timer->start();
  return std::make_shared<QtTimerHandle>(timer);
}

bool QtMainQueue::isMainThread() const { return QThread::currentThread() == mainThread_; }

}  // namespace orvane::quick
