#include "support/virtual_main_queue.h"

#include <gtest/gtest.h>

namespace orvane::testing {
namespace {

using std::chrono::microseconds;

TEST(VirtualMainQueue, FiftyMillisecondTimerTicksExactlyOneHundredTimesInFiveSeconds) {
  VirtualMainQueue queue;
  int ticks = 0;
  auto timer = queue.schedule(microseconds(50'000), true, [&] { ++ticks; });
  queue.advance(microseconds(5'000'000));
  EXPECT_EQ(ticks, 100);
  timer->invalidate();
  queue.advance(microseconds(1'000'000));
  EXPECT_EQ(ticks, 100);
  EXPECT_EQ(queue.activeTimerCount(), 0u);
}

TEST(VirtualMainQueue, TimersFireInDueOrderAndOneShotsOnce) {
  VirtualMainQueue queue;
  std::string order;
  auto late = queue.schedule(microseconds(300), false, [&] { order += "L"; });
  auto early = queue.schedule(microseconds(100), false, [&] {
    order += "E";
    queue.post([&] { order += "p"; });
  });
  queue.advance(microseconds(1000));
  EXPECT_EQ(order, "EpL");
  EXPECT_EQ(queue.now(), microseconds(1000));
}

}  // namespace
}  // namespace orvane::testing
