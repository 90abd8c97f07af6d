#include <orvane/quick/platform/qt_main_queue.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <thread>
#include <vector>

namespace orvane::quick {
namespace {

using namespace std::chrono_literals;

// Runs a GUI-thread event loop until `done` holds or the timeout passes; true when `done` held.
bool runEventLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  QEventLoop loop;
  QElapsedTimer elapsed;
  elapsed.start();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done() || elapsed.elapsed() >= timeout.count()) loop.quit();
  });
  poll.start(1);
  if (!done()) loop.exec();
  return done();
}

void runEventLoopFor(std::chrono::milliseconds span) {
  runEventLoopUntil([] { return false; }, span);
}

TEST(QtMainQueue, RunsTasksPostedFromOtherThreadsOnTheGuiThreadInOrder) {
  QtMainQueue queue;
  std::vector<int> order;
  bool allOnMain = true;
  bool workerSawMain = true;
  std::thread worker([&] {
    workerSawMain = queue.isMainThread();
    for (int i = 0; i < 100; ++i) {
      queue.post([&, i] {
        allOnMain = allOnMain && queue.isMainThread();
        order.push_back(i);
      });
    }
  });
  worker.join();

  ASSERT_TRUE(runEventLoopUntil([&] { return order.size() == 100; }, 2s));
  EXPECT_FALSE(workerSawMain);
  EXPECT_TRUE(allOnMain);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(QtMainQueue, WorkPendingWhenTheQueueIsDestroyedIsDroppedAndHandlesOutliveIt) {
  bool ran = false;
  std::shared_ptr<Timer> timer;
  {
    QtMainQueue queue;
    queue.post([&] { ran = true; });
    timer = queue.schedule(1ms, true, [&] { ran = true; });
  }
  runEventLoopFor(20ms);
  EXPECT_FALSE(ran);
  timer->invalidate();
}

TEST(QtMainQueue, TimersFireAsScheduledUntilInvalidated) {
  QtMainQueue queue;
  int oneShot = 0, selfStopping = 0, cancelled = 0, released = 0;
  auto once = queue.schedule(std::chrono::microseconds(1500), false, [&] { ++oneShot; });
  std::shared_ptr<Timer> repeating;
  repeating = queue.schedule(1ms, true, [&] {
    if (++selfStopping == 3) repeating->invalidate();
  });
  queue.schedule(5ms, false, [&] { ++cancelled; })->invalidate();
  queue.schedule(1ms, true, [&] { ++released; }).reset();  // dropping the handle does not stop it

  ASSERT_TRUE(runEventLoopUntil([&] { return oneShot > 0 && selfStopping >= 3 && released >= 2; }, 2s));
  runEventLoopFor(20ms);
  EXPECT_EQ(oneShot, 1);
  EXPECT_EQ(selfStopping, 3);
  EXPECT_EQ(cancelled, 0);
  // Invalidating again, or after the last firing, is harmless.
  once->invalidate();
  once->invalidate();
  repeating->invalidate();
}

}  // namespace
}  // namespace orvane::quick
