#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include <orvane/banners/banner_placement.h>
#include "banners/placement_harness.h"

namespace orvane::testing {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::seconds;

using BannerAutoplayTest = PlacementHarness;

TEST_F(BannerAutoplayTest, ACarouselWithoutAPeriodRotatesEverySecondWithinItsBanner) {
  auto placement = show({{1, "CAROUSEL", 0, slides(3)}, {2, "CAROUSEL", 0, slides(2)}});
  wait(microseconds(999'999));
  EXPECT_EQ(shown(*placement), "1/1");
  wait(microseconds(1));
  EXPECT_EQ(shown(*placement), "1/2");
  wait(seconds(1));
  EXPECT_EQ(shown(*placement), "1/3");
  wait(seconds(1));
  EXPECT_EQ(shown(*placement), "1/1");
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 0);
}

TEST_F(BannerAutoplayTest, AStorySlideFillsInHundredthsAndMovesOnAtTheTickThatReachesItsPeriod) {
  auto placement = show({{1, "STORY", 5, slides(3)}});
  tick();
  EXPECT_NEAR(placement->activeItemProgress(), 0.01, 1e-12);
  tick();
  EXPECT_NEAR(placement->activeItemProgress(), 0.02, 1e-12);
  tick(98);
  EXPECT_EQ(shown(*placement), "1/1");  // the summed ticks still fall just short of 5 s
  EXPECT_GT(placement->activeItemProgress(), 0.999);

  std::vector<double> seen;
  auto subscription = placement->observe([&] { seen.push_back(placement->activeItemProgress()); });
  tick();  // the 101st
  subscription.cancel();
  EXPECT_EQ(shown(*placement), "1/2");
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 0);
  // Observers hear before each write, so the capped fill shows up in what later notifications read.
  EXPECT_NE(std::find(seen.begin(), seen.end(), 1.0), seen.end());

  tick(101);
  EXPECT_EQ(shown(*placement), "1/3");
  tick(101);
  EXPECT_EQ(shown(*placement), "1/1");
  EXPECT_EQ(placement->activeBannerIndex(), 0u);
}

TEST_F(BannerAutoplayTest, StaticBannersAndSingleSlidesNeverRotateNorDoesACarouselLeftWithOne) {
  auto placement = show({{1, "STATIC", 1, slides(3)}, {2, "STORY", 1, slides(1)}});
  wait(seconds(30));
  EXPECT_EQ(shown(*placement), "1/1");
  placement->setPosition(1, 0, 0);
  wait(seconds(30));
  EXPECT_EQ(shown(*placement), "2/1");
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 0);
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);

  // A failed image that leaves a carousel one slide stops its rotation.
  auto carousel = show({{3, "CAROUSEL", 2, slides(2)}}, "carousel");
  wait(seconds(2));
  ASSERT_EQ(shown(*carousel), "3/2");
  carousel->handleImageFailed("3", "2");
  EXPECT_EQ(shown(*carousel), "3/1");
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
  wait(seconds(10));
  EXPECT_EQ(shown(*carousel), "3/1");
}

TEST_F(BannerAutoplayTest, ASwipeRestartsTheWaitAndTheFillForTheNewSlide) {
  auto placement = show({{1, "CAROUSEL", 2, slides(3)}});
  wait(milliseconds(1500));
  placement->handleDragEnded(-50, 0);
  EXPECT_EQ(shown(*placement), "1/2");
  wait(milliseconds(1999));
  EXPECT_EQ(shown(*placement), "1/2");
  wait(milliseconds(1));
  EXPECT_EQ(shown(*placement), "1/3");
  placement->disappear();

  // A story slide the user moves back to starts empty again.
  auto story = show({{2, "STORY", 5, slides(3)}}, "story");
  tick(150);
  ASSERT_EQ(shown(*story), "2/2");
  story->handleDragEnded(50, 0);
  EXPECT_EQ(shown(*story), "2/1");
  EXPECT_DOUBLE_EQ(story->activeItemProgress(), 0);
  tick(10);
  EXPECT_NEAR(story->activeItemProgress(), 0.1, 1e-9);
}

TEST_F(BannerAutoplayTest, HiddenPlacementsStopAndStartOverWhenShownAgain) {
  auto placement = show({{1, "STORY", 5, slides(2)}});
  tick(20);
  placement->disappear();
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
  wait(seconds(20));
  EXPECT_EQ(shown(*placement), "1/1");
  EXPECT_NEAR(placement->activeItemProgress(), 0.2, 1e-9);

  placement->appear();
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 0);
  fake.settle();
  tick(101);
  EXPECT_EQ(shown(*placement), "1/2");
}

TEST_F(BannerAutoplayTest, AReloadThatShowsTheSameSlideKeepsTheRunningRotation) {
  auto placement = show({{1, "CAROUSEL", 3, slides(2)}});
  wait(seconds(2));
  placement->applicationDidBecomeActive();
  fake.settle();
  wait(seconds(1));
  EXPECT_EQ(shown(*placement), "1/2");
}

TEST_F(BannerAutoplayTest, AnObserverThatHidesThePlacementMidTickStopsTheAdvance) {
  auto placement = show({{1, "STORY", 1, slides(2)}});
  tick(19);
  auto subscription = placement->observe([&] { placement->disappear(); });
  tick();
  subscription.cancel();
  EXPECT_EQ(shown(*placement), "1/1");
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 1.0);
  wait(seconds(5));
  EXPECT_EQ(shown(*placement), "1/1");
}

}  // namespace
}  // namespace orvane::testing
