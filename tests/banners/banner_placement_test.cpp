#include <orvane/banners/banner_placement.h>

#include <gtest/gtest.h>

#include "banners/placement_harness.h"

namespace orvane::testing {
namespace {

using BannerPlacementTest = PlacementHarness;

TEST_F(BannerPlacementTest, NothingIsFetchedBeforeTheFirstAppearanceAndAFailedFetchShowsNothing) {
  fake.http->setResponder([](const HttpRequest&) { return ScriptedHttpSession::status(500); });
  auto placement = BannerPlacement::create("never-loaded", sdk.services(), pipeline);
  fake.settle();
  EXPECT_TRUE(fake.http->requests().empty());

  placement->appear();
  fake.settle();
  EXPECT_EQ(fake.http->requests().size(), 1u);
  EXPECT_TRUE(placement->banners().empty());
  EXPECT_EQ(placement->renderState(), std::nullopt);
  placement->handleTap();
  placement->handleDragEnded(-50, 0);
  EXPECT_TRUE(events.empty());
}

// Answers are decoded on several workers and may arrive in either order: the older one must not
// replace what the newer brought, on screen or as the fallback kept for a failure.
TEST_F(BannerPlacementTest, AnAnswerOvertakenByANewerOneIsNotShownNorKept) {
  auto placement = show({{1, "STATIC", 5, slides(1)}});
  serve({{2, "STATIC", 5, slides(1)}});
  placement->applicationDidBecomeActive();
  serve({{3, "STATIC", 5, slides(1)}});
  placement->applicationDidBecomeActive();
  ASSERT_TRUE(fake.http->deliverNewest());
  fake.finishDecoding();
  EXPECT_EQ(shown(*placement), "3/1");
  EXPECT_FALSE(placement->isLoading());

  serve({{2, "STATIC", 5, slides(1)}});
  fake.settle();
  EXPECT_EQ(shown(*placement), "3/1");

  fake.http->setResponder([](const HttpRequest&) { return ScriptedHttpSession::status(500); });
  placement->applicationDidBecomeActive();
  fake.settle();
  EXPECT_EQ(shown(*placement), "3/1");
}

TEST_F(BannerPlacementTest, ShowsAtMostTenSlidesInOrderAndAFailureDoesNotLetAnEleventhIn) {
  std::vector<SlideSpec> twelve;
  for (int id = 1; id <= 12; ++id) twelve.push_back({id, 12 - id});  // reverse order on purpose
  auto placement = show({{7, "CAROUSEL", 5, twelve}});

  auto state = placement->renderState();
  ASSERT_TRUE(state);
  EXPECT_EQ(ids(state->items()),
            (std::vector<std::string>{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3"}));

  placement->handleImageFailed("7", "9");
  EXPECT_EQ(ids(placement->renderState()->items()),
            (std::vector<std::string>{"12", "11", "10", "8", "7", "6", "5", "4", "3"}));
  EXPECT_EQ(placement->invalidItemKeys(), (std::set<std::string>{"7:9"}));

  // Slides with the same order index are in id text order.
  auto ties = show({{1, "CAROUSEL", 5, {{3, 0}, {20, 0}, {1, 1}}}}, "ties");
  EXPECT_EQ(ids(ties->renderState()->items()), (std::vector<std::string>{"20", "3", "1"}));
}

TEST_F(BannerPlacementTest, PositionsPastTheEndShowTheLastBannerAndEarlierBannersAreNotConsidered) {
  auto placement = show({{1, "CAROUSEL", 5, slides(2)}, {2, "CAROUSEL", 5, slides(3)}});
  placement->setPosition(99, 99, 0);
  auto state = placement->renderState();
  ASSERT_TRUE(state);
  EXPECT_EQ(state->bannerIndex(), 1u);
  EXPECT_EQ(state->activeItemIndex(), 2u);
  EXPECT_EQ(shown(*placement), "2/3");

  // Once the last banner has nothing left to show, the first one is not fallen back on.
  for (const char* item : {"1", "2", "3"}) placement->handleImageFailed("2", item);
  EXPECT_EQ(placement->renderState(), std::nullopt);
}

TEST_F(BannerPlacementTest, SwipesWalkSlidesThenBannersAndWrapAroundBothWays) {
  auto placement =
      show({{1, "STATIC", 5, slides(2)}, {2, "CAROUSEL", 5, slides(1)}, {3, "STORY", 5, slides(3)}});
  placement->handleImageFailed("2", "1");  // banner 2 now has nothing to show and is skipped
  placement->setPosition(0, 0, 0);

  placement->handleDragEnded(-40, 10);
  EXPECT_EQ(shown(*placement), "1/2");  // a static banner can still be swiped by hand
  placement->handleDragEnded(-40, 0);
  EXPECT_EQ(shown(*placement), "3/1");
  placement->setPosition(2, 2, 0);
  placement->handleDragEnded(-40, 0);
  EXPECT_EQ(shown(*placement), "1/1");  // past the end: the first banner with slides

  placement->handleDragEnded(40, 0);
  EXPECT_EQ(shown(*placement), "3/3");  // before the start: the last slide of the last banner
  placement->handleDragEnded(40, -20);
  EXPECT_EQ(shown(*placement), "3/2");
  placement->setPosition(2, 0, 0);
  placement->handleDragEnded(40, 0);
  EXPECT_EQ(shown(*placement), "1/2");
}

TEST_F(BannerPlacementTest, ShortOrMostlyVerticalDragsAreIgnored) {
  auto placement = show({{1, "STATIC", 5, slides(3)}});
  placement->setPosition(0, 1, 0);
  for (auto [dx, dy] : {std::pair{30.0, 0.0}, std::pair{-30.0, 0.0}, std::pair{36.0, 0.0},
                        std::pair{10.0, 40.0}, std::pair{-40.0, 40.0}, std::pair{-40.0, -41.0}}) {
    placement->handleDragEnded(dx, dy);
    EXPECT_EQ(shown(*placement), "1/2") << dx << "," << dy;
  }
}

TEST_F(BannerPlacementTest, BecomingActiveReloadsAndResetsThePositionWithoutRepeatingImpressions) {
  auto placement = show({{1, "STATIC", 5, slides(2)}, {2, "STATIC", 5, slides(2)}});
  placement->handleImageLoaded("1", "1");
  placement->handleImageFailed("2", "1");
  placement->setPosition(1, 0, 0.5);
  placement->handleImageLoaded("2", "2");
  ASSERT_EQ(eventsOf(StorySDKEvent::Kind::bannerImpression).size(), 2u);

  placement->applicationDidBecomeActive();
  fake.settle();
  EXPECT_EQ(placement->activeBannerIndex(), 0u);
  EXPECT_EQ(placement->activeItemIndex(), 0u);
  EXPECT_TRUE(placement->invalidItemKeys().empty());
  EXPECT_DOUBLE_EQ(placement->activeItemProgress(), 0.5);  // left as it was

  placement->handleImageLoaded("1", "2");
  placement->handleImageLoaded("2", "1");
  EXPECT_EQ(eventsOf(StorySDKEvent::Kind::bannerImpression).size(), 2u);
  EXPECT_EQ(placement->trackedImpressions(), (std::set<std::string>{"home:1", "home:2"}));
}

TEST_F(BannerPlacementTest, ImpressionsAreOncePerBannerPerPlacementAndPrefetchTheNextSlideIfAny) {
  auto placement = show({{1, "CAROUSEL", 5, slides(3)}});
  placement->handleImageLoaded("1", "1");
  placement->handleImageLoaded("1", "1");
  placement->setPosition(0, 2, 0);
  placement->handleImageLoaded("1", "3");

  const auto impressions = eventsOf(StorySDKEvent::Kind::bannerImpression);
  ASSERT_EQ(impressions.size(), 1u);
  EXPECT_EQ(impressions[0], StorySDKEvent::bannerImpression("1", "1", "home"));
  EXPECT_EQ(imageRequests(), (std::vector<std::string>{mediaUrl(1, 2), mediaUrl(1, 1)}));
  EXPECT_EQ(servicePosts("BANNER_IMPRESSION"), 1u);

  // The same banner in another placement is another impression.
  auto other = show({{1, "CAROUSEL", 5, slides(3)}}, "sidebar");
  other->handleImageLoaded("1", "2");
  ASSERT_EQ(eventsOf(StorySDKEvent::Kind::bannerImpression).size(), 2u);
  EXPECT_EQ(eventsOf(StorySDKEvent::Kind::bannerImpression)[1],
            StorySDKEvent::bannerImpression("1", "2", "sidebar"));

  // A single slide has nothing to prefetch; slides the placement does not show are ignored.
  auto single = show({{2, "CAROUSEL", 5, slides(1)}}, "single");
  single->handleImageLoaded("2", "1");
  single->handleImageLoaded("9", "1");
  single->handleImageFailed("9", "1");
  EXPECT_EQ(imageRequests().size(), 2u);
  EXPECT_EQ(eventsOf(StorySDKEvent::Kind::bannerImpression).size(), 3u);
  EXPECT_TRUE(single->invalidItemKeys().empty());
}

TEST_F(BannerPlacementTest, ABannerThatLosesAllSlidesHandsOverToTheNextOne) {
  auto placement = show({{1, "CAROUSEL", 5, slides(2)}, {2, "CAROUSEL", 5, slides(2)}});
  placement->setPosition(0, 1, 0);
  placement->handleImageFailed("1", "2");
  EXPECT_EQ(shown(*placement), "1/1");  // the index fell back to the remaining slide
  placement->handleImageFailed("1", "1");
  EXPECT_EQ(shown(*placement), "2/1");
  EXPECT_EQ(placement->activeBannerIndex(), 1u);
}

TEST_F(BannerPlacementTest, EveryTapIsAClickAndOnlyLinkTypesOpenTheirUrl) {
  auto placement = show({{1,
                          "STATIC",
                          5,
                          {{1, 1, "EXTERNAL_URL", "https://example.com/a"},
                           {2, 2, "DEEP_LINK", "shop://item/2"},
                           {3, 3, "INTERNAL_ROUTE", "app://route/3"},
                           {4, 4, "CUSTOM_EVENT", "https://example.com/custom"},
                           {5, 5, "NONE", "https://example.com/none"},
                           {6, 6, "EXTERNAL_URL"}}}});
  for (std::size_t index = 0; index < 6; ++index) {
    placement->setPosition(0, index, 0);
    placement->handleTap();
  }
  placement->setPosition(0, 0, 0);
  placement->handleTap();

  const auto clicks = eventsOf(StorySDKEvent::Kind::bannerClick);
  ASSERT_EQ(clicks.size(), 7u);
  EXPECT_EQ(servicePosts("BANNER_CLICK"), 7u);
  EXPECT_EQ(clicks[3],
            StorySDKEvent::bannerClick("1", "4", "home", Url::parse("https://example.com/custom")));
  EXPECT_EQ(clicks[5], StorySDKEvent::bannerClick("1", "6", "home", std::nullopt));
  EXPECT_EQ(fake.urlOpener->opened,
            (std::vector<Url>{*Url::parse("https://example.com/a"), *Url::parse("shop://item/2"),
                              *Url::parse("app://route/3"), *Url::parse("https://example.com/a")}));
}

TEST_F(BannerPlacementTest, ObserversHearBeforeEachChange) {
  auto placement = show({{1, "STATIC", 5, slides(3)}});
  std::vector<std::size_t> seen;
  auto subscription = placement->observe([&] { seen.push_back(placement->activeItemIndex()); });
  placement->setPosition(0, 2, 0);
  EXPECT_EQ(seen, (std::vector<std::size_t>{0, 0, 2}));  // banner, slide, progress: each before its write
}

TEST_F(BannerPlacementTest, APlacementReleasedBeforeItsAnswerIgnoresIt) {
  serve({{1, "CAROUSEL", 1, slides(2)}});
  auto placement = BannerPlacement::create("home", sdk.services(), pipeline);
  placement->appear();
  placement.reset();
  fake.settle();
  wait(std::chrono::seconds(3));
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
}

}  // namespace
}  // namespace orvane::testing
