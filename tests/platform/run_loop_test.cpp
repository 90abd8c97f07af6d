#include <orvane/platform/run_loop.h>

#include <gtest/gtest.h>

#include <thread>

namespace orvane {
namespace {

TEST(RunLoop, RunsTasksPostedFromOtherThreadsOnItsOwnThread) {
  auto loop = std::make_shared<RunLoop>();
  bool ranOnMain = false;
  std::thread worker([&] { loop->post([&] { ranOnMain = loop->isMainThread(); }); });
  worker.join();
  EXPECT_TRUE(loop->runUntil([&] { return ranOnMain; }, std::chrono::seconds(2)));
}

TEST(RunLoop, RepeatingTimerFiresUntilInvalidated) {
  auto loop = std::make_shared<RunLoop>();
  int fired = 0;
  std::shared_ptr<Timer> timer;
  timer = loop->schedule(std::chrono::milliseconds(1), true, [&] {
    if (++fired == 3) timer->invalidate();
  });
  loop->runFor(std::chrono::milliseconds(50));
  EXPECT_EQ(fired, 3);
  timer->invalidate();  // again: harmless
}

}  // namespace
}  // namespace orvane
