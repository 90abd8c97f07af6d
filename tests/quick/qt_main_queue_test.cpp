#include "quick/platform/qt_main_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "event_loop.h"

namespace orvane::quick {
namespace {

using namespace std::chrono_literals;
using testing::runEventLoopFor;
using testing::runEventLoopUntil;

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

TEST(QtMainQueue, TasksPendingWhenTheQueueIsDestroyedAreDropped) {
  bool ran = false;
  {
    QtMainQueue queue;
    queue.post([&] { ran = true; });
  }
  runEventLoopFor(20ms);
  EXPECT_FALSE(ran);
}

TEST(QtMainQueue, OneShotTimerFiresOnceAndInvalidatingItLaterIsHarmless) {
  QtMainQueue queue;
  int fired = 0;
  auto timer = queue.schedule(std::chrono::microseconds(1500), false, [&] { ++fired; });
  ASSERT_TRUE(runEventLoopUntil([&] { return fired > 0; }, 2s));
  runEventLoopFor(20ms);
  EXPECT_EQ(fired, 1);
  timer->invalidate();
  timer->invalidate();
}

TEST(QtMainQueue, RepeatingTimerFiresUntilInvalidatedEvenFromItsOwnBlock) {
  QtMainQueue queue;
  int fired = 0;
  std::shared_ptr<Timer> timer;
  timer = queue.schedule(1ms, true, [&] {
    if (++fired == 3) timer->invalidate();
  });
  ASSERT_TRUE(runEventLoopUntil([&] { return fired >= 3; }, 2s));
  runEventLoopFor(20ms);
  EXPECT_EQ(fired, 3);
  timer->invalidate();
}

TEST(QtMainQueue, InvalidatedTimerNeverFiresAndReleasedHandleKeepsItRunning) {
  QtMainQueue queue;
  int cancelledFired = 0;
  int releasedFired = 0;
  queue.schedule(5ms, false, [&] { ++cancelledFired; })->invalidate();
  queue.schedule(1ms, true, [&] { ++releasedFired; }).reset();

  ASSERT_TRUE(runEventLoopUntil([&] { return releasedFired >= 2; }, 2s));
  runEventLoopFor(10ms);
  EXPECT_EQ(cancelledFired, 0);
}

TEST(QtMainQueue, HandlesOutliveTheQueue) {
  std::shared_ptr<Timer> timer;
  {
    QtMainQueue queue;
    timer = queue.schedule(1ms, true, [] {});
  }
  timer->invalidate();
}

}  // namespace
}  // namespace orvane::quick
