#include <orvane/stories/story_bar_view_model.h>

#include <gtest/gtest.h>
#include <orvane/core/story_sdk.h>

#include "stories/story_fixtures.h"

namespace orvane {
namespace {

using testing::group;
using testing::mediaUrl;
using testing::page;
using testing::plainGroup;
using testing::ScriptedHttpSession;
using testing::uuid;
using Kind = StorySDKEvent::Kind;
using Lines = std::vector<std::string>;
using StoryBarViewModelTest = testing::StoryModelTest;

TEST_F(StoryBarViewModelTest, CreationStartsExactlyOneLoadThatPublishesTheGroups) {
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(1, 2), plainGroup(2, 1)}));
  auto bar = makeBar();
  int notifications = 0;
  auto subscription = bar->observe([&] { ++notifications; });

  ASSERT_EQ(storyRequests().size(), 1u);
  EXPECT_NE(storyRequests()[0].url.string().find("/placements/home/stories"), std::string::npos);
  EXPECT_TRUE(bar->hasLoaded());
  EXPECT_TRUE(bar->isLoading());
  EXPECT_TRUE(bar->groups().empty());

  fake.settle();
  EXPECT_FALSE(bar->isLoading());
  ASSERT_EQ(bar->groups().size(), 2u);
  EXPECT_EQ(bar->groups()[0].id(), uuid(1));
  EXPECT_EQ(bar->groups()[1].id(), uuid(2));
  EXPECT_FALSE(bar->errorMessage());
  EXPECT_GT(notifications, 0);
  EXPECT_EQ(storyRequests().size(), 1u);
  EXPECT_TRUE(fake.console->lines().empty());
}

// A host's retry may overtake the load before it: the older answer, arriving last, is dropped.
TEST_F(StoryBarViewModelTest, AnAnswerOvertakenByANewerLoadIsDropped) {
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(1, 1)}));
  auto bar = makeBar();
  bar->load();
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(2, 1), plainGroup(3, 1)}));
  ASSERT_TRUE(fake.http->deliverNewest());
  fake.finishDecoding();
  ASSERT_EQ(bar->groups().size(), 2u);
  EXPECT_FALSE(bar->isLoading());

  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(1, 1)}));
  fake.settle();
  ASSERT_EQ(bar->groups().size(), 2u);
  EXPECT_EQ(bar->groups()[0].id(), uuid(2));
}

TEST_F(StoryBarViewModelTest, FailedLoadLeavesNoGroupsAndLogsOneLineUnlessTheBarIsGone) {
  storiesAnswer = ScriptedHttpSession::status(503);
  makeBar();  // released at once: its answer is dropped
  fake.settle();
  EXPECT_TRUE(fake.console->lines().empty());

  auto bar = makeBar();
  fake.settle();
  EXPECT_FALSE(bar->isLoading());
  EXPECT_TRUE(bar->groups().empty());
  EXPECT_FALSE(bar->errorMessage());
  EXPECT_EQ(fake.console->lines(), Lines{"[Orvane] Failed to load stories for placement 'home': " +
                                         errorDescription(StoryAPIError::httpStatus(503))});

  // Unconfigured, nothing is requested and the load fails like any other.
  testing::FakePlatform otherFake;
  StorySDK unconfigured{otherFake.platform()};
  auto other = StoryBarViewModel::create("feed", unconfigured.services(), pipeline);
  otherFake.settle();
  EXPECT_TRUE(otherFake.http->requests().empty());
  EXPECT_EQ(otherFake.console->lines(), Lines{"[Orvane] Failed to load stories for placement 'feed': " +
                                              StoryAPIError::notConfigured().errorDescription()});
}

TEST_F(StoryBarViewModelTest, ImpressionOncePerGroupAndPrefetchForTheFirstThreeEvenWithoutImages) {
  const std::vector<StoryGroup> groups{
      group(uuid(1), {}),  // nothing to fetch, yet it takes a place
      group(uuid(2), {page({.id = uuid(2, 1), .media = mediaUrl("page2")})}),
      group(uuid(3), {page({.id = uuid(3, 1), .media = mediaUrl("page3")})}, mediaUrl("cover3")),
      group(uuid(4), {page({.id = uuid(4, 1), .media = mediaUrl("page4")})}, mediaUrl("cover4")),
      group(uuid(5), {}, mediaUrl("cover5"))};
  auto bar = makeBar();
  for (const auto& each : groups) {
    bar->groupDidAppear(each);
    bar->groupDidAppear(each);
  }
  bar->groupDidAppear(groups[0]);
  fake.settle();

  EXPECT_EQ(eventKinds(), std::vector<Kind>(5, Kind::storyGroupImpression));
  EXPECT_EQ(*events[4].groupId(), uuid(5));
  EXPECT_EQ(serviceEventTypes(), std::vector<std::string>(5, "STORY_GROUP_IMPRESSION"));
  EXPECT_EQ(serviceEvents("STORY_GROUP_IMPRESSION")[0], std::make_pair(uuid(1), std::string()));
  // Cover first, then the first page.
  EXPECT_EQ(imageUrls(),
            (Lines{mediaUrl("page2").string(), mediaUrl("cover3").string(), mediaUrl("page3").string()}));
}

TEST_F(StoryBarViewModelTest, SelectGroupPresentsOnlyForAnIndexInsideTheGroups) {
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(1, 1), plainGroup(2, 1)}));
  auto bar = makeBar();
  fake.settle();

  bar->selectGroup(-1);
  bar->selectGroup(2);
  EXPECT_FALSE(bar->selectedGroupIndex());
  EXPECT_FALSE(bar->isViewerPresented());

  bar->selectGroup(1);
  EXPECT_EQ(bar->selectedGroupIndex(), 1);
  EXPECT_TRUE(bar->isViewerPresented());

  // Dismissal through the binding keeps the last selection.
  bar->setViewerPresented(false);
  EXPECT_FALSE(bar->isViewerPresented());
  EXPECT_EQ(bar->selectedGroupIndex(), 1);
  bar->selectGroup(7);
  EXPECT_FALSE(bar->isViewerPresented());
}

}  // namespace
}  // namespace orvane
