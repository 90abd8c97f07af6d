#include <orvane/platform/worker_pool.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

namespace orvane {
namespace {

TEST(WorkerPool, EveryTaskRunsOnceAndQueuedOnesRunBeforeTheThreadsJoin) {
  std::atomic<int> runs{0};
  {
    WorkerPool pool(2);
    EXPECT_EQ(pool.threadCount(), 2u);
    for (int i = 0; i < 100; ++i) {
      pool.post([&] { ++runs; });
      pool.postBulk([&] { ++runs; });
    }
    EXPECT_TRUE(pool.waitUntilIdle() || runs == 200);
    EXPECT_EQ(runs, 200);
    EXPECT_FALSE(pool.waitUntilIdle());
    for (int i = 0; i < 50; ++i) pool.postBulk([&] { ++runs; });
  }
  EXPECT_EQ(runs, 250);
  EXPECT_GE(WorkerPool(0).threadCount(), 2u);
}

TEST(WorkerPool, BulkWorkNeverTakesTheLastThread) {
  WorkerPool pool(2);
  std::promise<void> release;
  auto released = release.get_future().share();
  std::promise<void> bulkStarted;
  pool.postBulk([&, released] {
    bulkStarted.set_value();
    released.wait();
  });
  bulkStarted.get_future().wait();
  std::atomic<bool> secondBulkRan{false};
  pool.postBulk([&] { secondBulkRan = true; });
  std::promise<void> quickRan;
  pool.post([&] { quickRan.set_value(); });
  quickRan.get_future().wait();  // would hang if the second bulk task had the free thread
  EXPECT_FALSE(secondBulkRan);
  release.set_value();
  pool.waitUntilIdle();
  EXPECT_TRUE(secondBulkRan);
}

// A task's captures may hold the last owner of the pool (a session that owns the pool it posts to):
// the pool then goes from inside its own thread, which finishes the queue instead of joining itself.
TEST(WorkerPool, ATaskHoldingTheLastOwnerLetsThePoolGoFromItsOwnThread) {
  auto pool = std::make_shared<WorkerPool>(2);
  std::promise<void> release;
  auto released = release.get_future().share();
  std::promise<void> queuedRan;
  pool->post([owner = pool, released] { released.wait(); });
  pool->post([&queuedRan] { queuedRan.set_value(); });
  pool.reset();
  release.set_value();
  EXPECT_EQ(queuedRan.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

}  // namespace
}  // namespace orvane
