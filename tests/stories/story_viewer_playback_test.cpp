#include <gtest/gtest.h>

#include <orvane/stories/story_viewer_view_model.h>
#include "stories/story_fixtures.h"

namespace orvane {
namespace {

using testing::group;
using testing::mediaUrl;
using testing::page;
using testing::plainGroup;
using testing::uuid;
using Kind = StorySDKEvent::Kind;
using Ids = std::pair<std::string, std::string>;

using StoryViewerPlaybackTest = testing::StoryModelTest;

TEST_F(StoryViewerPlaybackTest, PagesLastTheirDurationInTicks) {
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1), .duration = 5}),
                                               page({.id = uuid(1, 2), .duration = 0}),
                                               page({.id = uuid(1, 3), .duration = -3}),
                                               page({.id = uuid(1, 4), .duration = 7})})});
  int notifications = 0;
  auto subscription = viewer->observe([&] { ++notifications; });

  ticks(99);
  EXPECT_EQ(notifications, 99);  // one change a tick
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  EXPECT_NEAR(viewer->progress(), 0.99, 1e-9);
  ticks(1);
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  EXPECT_EQ(viewer->progress(), 0);

  // Zero and negative durations play for a tenth of a second: two ticks each.
  ticks(1);
  EXPECT_EQ(viewer->progress(), 0.5);
  ticks(1);
  EXPECT_EQ(viewer->currentItemIndex(), 2);
  ticks(2);
  EXPECT_EQ(viewer->currentItemIndex(), 3);

  // Equal steps of 1/140 must not fall short of 1 through rounding.
  ticks(139);
  EXPECT_EQ(viewer->currentItemIndex(), 3);
  EXPECT_FALSE(viewer->shouldDismiss());
  ticks(1);
  EXPECT_TRUE(viewer->shouldDismiss());
  EXPECT_EQ(viewer->progress(), 1.0);
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
}

TEST_F(StoryViewerPlaybackTest, StartIndexIsClampedIntoTheGroups) {
  std::vector<StoryGroup> three{plainGroup(1, 1), plainGroup(2, 1), plainGroup(3, 1)};
  EXPECT_EQ(makeViewer(three, 7)->currentGroupIndex(), 2);
  EXPECT_EQ(makeViewer(three, -1)->currentGroupIndex(), 0);
  EXPECT_EQ(makeViewer(three, 1)->currentGroupIndex(), 1);

  auto empty = makeViewer({}, 3);
  EXPECT_EQ(empty->currentGroupIndex(), 0);
  EXPECT_EQ(empty->currentGroup(), nullptr);
  EXPECT_EQ(empty->currentItem(), nullptr);
  EXPECT_EQ(empty->theme(), StoryTheme::default_());
  empty->start();
  EXPECT_TRUE(empty->shouldDismiss());
  fake.settle();
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(serviceEventTypes().empty());
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
}

TEST_F(StoryViewerPlaybackTest, StartReportsTheOpenOnceAndNeverAddsASecondTimer) {
  auto viewer = makeViewer({plainGroup(1, 2)});
  viewer->resume();  // before start: nothing to resume
  ticks(10);
  EXPECT_EQ(viewer->progress(), 0);
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
  EXPECT_TRUE(events.empty());

  viewer->start();
  viewer->start();
  EXPECT_EQ(eventKinds(), (std::vector<Kind>{Kind::storyOpen, Kind::storyItemImpression}));
  EXPECT_EQ(*events[1].itemId(), uuid(1, 1));
  // The progress timer and the page-viewed timer.
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 2u);

  ticks(10);
  viewer->pause();
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.1, 1e-9);
  viewer->resume();
  viewer->resume();
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.2, 1e-9);
  EXPECT_EQ(eventKinds().size(), 2u);
}

TEST_F(StoryViewerPlaybackTest, PreviousOnTheVeryFirstPageOrWellIntoAPageRestartsItInPlace) {
  auto first = startedViewer({plainGroup(1, 2)});
  ticks(10);
  forgetEvents();
  first->goToPrevious();
  EXPECT_EQ(first->progress(), 0);
  EXPECT_EQ(first->currentItemIndex(), 0);
  EXPECT_TRUE(events.empty());
  first.reset();

  auto viewer = startedViewer({plainGroup(1, 2), plainGroup(2, 2)}, 1);
  ticks(50);
  forgetEvents();
  viewer->goToPrevious();
  EXPECT_EQ(viewer->progress(), 0);
  EXPECT_EQ(viewer->currentGroupIndex(), 1);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  EXPECT_TRUE(events.empty());
  // Only the progress timer: the restarted page is not armed to count as viewed again.
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 1u);
}

TEST_F(StoryViewerPlaybackTest, PreviousEarlyOnAGroupsFirstPageReopensThePreviousGroupAtItsLastPage) {
  auto viewer = startedViewer({plainGroup(1, 3), plainGroup(2, 2)}, 1);
  ticks(10);
  forgetEvents();

  viewer->goToPrevious();
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->currentItemIndex(), 2);
  EXPECT_EQ(viewer->progress(), 0);
  ASSERT_EQ(eventKinds(), (std::vector<Kind>{Kind::storyOpen, Kind::storyItemImpression}));
  EXPECT_EQ(*events[0].groupId(), uuid(1));
  EXPECT_EQ(*events[1].itemId(), uuid(1, 3));

  // A page back inside the group.
  viewer->goToPrevious();
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  EXPECT_EQ(eventKinds().back(), Kind::storyItemImpression);
}

TEST_F(StoryViewerPlaybackTest, GroupStepsOpenTheNeighbourAtItsFirstPageWithoutCompletingTheGroupLeft) {
  auto viewer = startedViewer({plainGroup(1, 3), plainGroup(2, 2)});
  viewer->goToNext();
  forgetEvents();

  viewer->goToNextGroup();
  EXPECT_EQ(viewer->currentGroupIndex(), 1);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  ASSERT_EQ(eventKinds(), (std::vector<Kind>{Kind::storyOpen, Kind::storyItemImpression}));
  EXPECT_EQ(*events[0].groupId(), uuid(2));

  viewer->goToNext();
  forgetEvents();
  viewer->goToPreviousGroup();
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  ASSERT_EQ(eventKinds(), (std::vector<Kind>{Kind::storyOpen, Kind::storyItemImpression}));
  EXPECT_EQ(*events[0].groupId(), uuid(1));

  // The first group's first page stays; a step past the last group closes.
  forgetEvents();
  ticks(3);
  viewer->goToPreviousGroup();
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->progress(), 0);
  EXPECT_TRUE(events.empty());
  viewer->goToNextGroup();
  viewer->goToNextGroup();
  EXPECT_TRUE(viewer->shouldDismiss());
  EXPECT_EQ(count(Kind::storyCompleted), 0u);
}

TEST_F(StoryViewerPlaybackTest, EachGroupCompletesOnceAndTheViewerClosesOnceEvenBeforeStart) {
  auto unstarted = makeViewer({plainGroup(3, 1)});
  unstarted->close();
  unstarted->close();
  EXPECT_TRUE(unstarted->shouldDismiss());
  EXPECT_EQ(eventKinds(), std::vector<Kind>{Kind::storyClose});
  fake.settle();
  EXPECT_TRUE(serviceEventTypes().empty());  // a close has no service event
  forgetEvents();

  auto viewer = startedViewer({plainGroup(1, 1), plainGroup(2, 1)});
  viewer->goToNext();      // completes group 1, opens group 2
  viewer->goToPrevious();  // back to group 1
  viewer->goToNext();      // group 1 again: no second completion
  viewer->goToNext();      // completes group 2 and closes
  viewer->close();
  viewer->goToNext();

  EXPECT_EQ(count(Kind::storyCompleted), 2u);
  EXPECT_EQ(count(Kind::storyClose), 1u);
  EXPECT_EQ(*events.back().groupId(), uuid(2));
  EXPECT_EQ(events.back().kind(), Kind::storyClose);
  EXPECT_TRUE(viewer->shouldDismiss());
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
  EXPECT_EQ(serviceEvents("STORY_COMPLETE"), (std::vector<Ids>{{uuid(1), ""}, {uuid(2), ""}}));
  // Opened: group 1, group 2, group 1 again (deduplicated), group 2 again (deduplicated).
  EXPECT_EQ(serviceEvents("STORY_OPEN"), (std::vector<Ids>{{uuid(1), ""}, {uuid(2), ""}}));
}

TEST_F(StoryViewerPlaybackTest, PageCountsAsViewedOnlyAfterASecondOnScreen) {
  auto viewer = startedViewer({plainGroup(1, 3)});
  ticks(19);
  viewer->goToNext();
  ticks(20);
  viewer->goToNext();
  ticks(10);
  viewer->close();
  ticks(40);

  EXPECT_EQ(serviceEvents("STORY_ITEM_VIEW"), (std::vector<Ids>{{uuid(1), uuid(1, 2)}}));
}

TEST_F(StoryViewerPlaybackTest, WidgetPagesReportTheirViewOncePerModel) {
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1), .widget = WidgetType::poll}),
                                               page({.id = uuid(1, 2), .widget = WidgetType::quiz}),
                                               page({.id = uuid(1, 3), .widget = WidgetType::swipe})})});
  viewer->goToNext();
  viewer->goToNext();
  viewer->goToPrevious();
  viewer->goToPrevious();

  EXPECT_EQ(count(Kind::pollViewed), 1u);
  EXPECT_EQ(count(Kind::quizViewed), 1u);
  fake.settle();
  EXPECT_EQ(serviceEvents("POLL_VIEW"), (std::vector<Ids>{{uuid(1), uuid(1, 1)}}));
  EXPECT_EQ(serviceEvents("QUIZ_VIEW"), (std::vector<Ids>{{uuid(1), uuid(1, 2)}}));
}

TEST_F(StoryViewerPlaybackTest, EveryPagePrefetchesItselfTheNextPageAndTheNextGroupsFirst) {
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1), .media = mediaUrl("a")}),
                                               page({.id = uuid(1, 2), .media = mediaUrl("b")})}),
                               group(uuid(2), {page({.id = uuid(2, 1), .media = mediaUrl("c")})})});
  fake.settle();
  EXPECT_EQ(imageUrls(), (std::vector<std::string>{mediaUrl("a").string(), mediaUrl("b").string(),
                                                   mediaUrl("c").string()}));

  viewer->goToNext();  // all cached already
  fake.settle();
  EXPECT_EQ(imageUrls().size(), 3u);
}

std::vector<HttpRequest> requestsFor(const testing::ScriptedHttpSession& http, const Url& url) {
  std::vector<HttpRequest> found;
  for (auto& request : http.requests())
    if (request.url == url) found.push_back(request);
  return found;
}

// The player streams a video page's file itself: a second, whole download of it beside the
// player's only doubled what crossed the network.
TEST_F(StoryViewerPlaybackTest, AVideoPageIsNotDownloadedWholeBesideItsPlayer) {
  const auto clip = testing::videoUrl("clip");
  auto viewer = startedViewer(
      {group(uuid(1), {page({.id = uuid(1, 1), .media = clip, .mediaType = StoryMediaType::video})})});
  fake.settle();

  EXPECT_TRUE(requestsFor(*fake.http, clip).empty());
}

// Only the start of a video yet to play is fetched, in ranges, into the stream its player shares.
TEST_F(StoryViewerPlaybackTest, UpcomingVideosAreFetchedAheadOnlyByTheirFirstBytes) {
  const auto next = testing::videoUrl("next"), nextGroup = testing::videoUrl("next-group");
  auto viewer = startedViewer(
      {group(uuid(1), {page({.id = uuid(1, 1), .media = mediaUrl("a")}),
                       page({.id = uuid(1, 2), .media = next, .mediaType = StoryMediaType::video})}),
       group(uuid(2), {page({.id = uuid(2, 1), .media = nextGroup, .mediaType = StoryMediaType::video})})});
  fake.mainQueue->drain();

  for (const auto& url : {next, nextGroup}) {
    const auto requests = requestsFor(*fake.http, url);
    ASSERT_EQ(requests.size(), 1u) << url.string();
    ASSERT_NE(requests[0].header("Range"), nullptr);
    EXPECT_EQ(requests[0].header("Range")->rfind("bytes=0-", 0), 0u);
    EXPECT_EQ(requests[0].lane, HttpRequest::Lane::media);
  }
  // Kept for the pages to come while the viewer is open, let go of once it closes.
  std::weak_ptr<VideoStream> prefetched = videos.stream(next);
  EXPECT_FALSE(prefetched.expired());
  viewer->close();
  EXPECT_TRUE(prefetched.expired());
}

// Playback that stalls holds the page where it is, however long; it goes on from there after.
TEST_F(StoryViewerPlaybackTest, StalledMediaHoldsTheProgressUntilItPlaysAgain) {
  auto viewer = startedViewer({plainGroup(1, 2)});
  ticks(20);
  EXPECT_NEAR(viewer->progress(), 0.2, 1e-9);

  viewer->setMediaWaiting(true);
  EXPECT_TRUE(viewer->isMediaWaiting());
  ticks(500);
  EXPECT_NEAR(viewer->progress(), 0.2, 1e-9);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  // Letting go of the page (a hold ending) does not move it on either while the media waits.
  viewer->pause();
  viewer->resume();
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.2, 1e-9);

  viewer->setMediaWaiting(false);
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.3, 1e-9);
  // Media that plays again while the user holds the page stays held.
  viewer->pause();
  viewer->setMediaWaiting(true);
  viewer->setMediaWaiting(false);
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.3, 1e-9);
  EXPECT_FALSE(viewer->isMediaWaiting());
}

TEST_F(StoryViewerPlaybackTest, ReleasedModelStopsItsTimersAndReportsNothingMore) {
  auto viewer = startedViewer({plainGroup(1, 2)});
  ticks(5);
  forgetEvents();
  viewer.reset();
  ticks(200);
  fake.settle();

  EXPECT_TRUE(events.empty());
  EXPECT_EQ(fake.mainQueue->activeTimerCount(), 0u);
  EXPECT_TRUE(serviceEvents("STORY_ITEM_VIEW").empty());
}

}  // namespace
}  // namespace orvane
