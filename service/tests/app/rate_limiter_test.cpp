#include <gtest/gtest.h>

#include "app/rate_limiter.h"

namespace orvane::service::app {
namespace {

using namespace std::chrono_literals;

TEST(RateLimiter, LetsABurstThroughThenRefillsAtTheRateAndForgetsQuietClients) {
  auto now = std::chrono::steady_clock::time_point{} + 1h;
  RateLimiter limiter({10, 3}, [&] { return now; }, 2);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(limiter.take("a")) << i;
  auto wait = limiter.take("a");
  ASSERT_TRUE(wait);
  EXPECT_EQ(*wait, 100ms);
  EXPECT_TRUE(limiter.take("a")) << "a refused request takes nothing, and gives nothing back";

  now += 100ms;
  EXPECT_FALSE(limiter.take("a"));
  EXPECT_TRUE(limiter.take("a"));
  EXPECT_FALSE(limiter.take("b")) << "each key has its own bucket";

  // Two buckets is the bound: a third client is let in once a bucket has filled up again.
  EXPECT_TRUE(limiter.take("c"));
  now += 1s;
  EXPECT_FALSE(limiter.take("c"));
}

TEST(RateLimiter, NoRateMeansNoLimit) {
  RateLimiter limiter({0, 1});
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(limiter.take("a"));
}

}  // namespace
}  // namespace orvane::service::app
