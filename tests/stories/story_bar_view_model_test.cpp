#include "stories/story_bar_view_model.h"

#include <gtest/gtest.h>

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

class StoryBarViewModelTest : public testing::StoryModelTest {
 protected:
  std::shared_ptr<StoryBarViewModel> makeBar(const std::string& placementKey = "home") {
    return StoryBarViewModel::create(placementKey, sdk, pipeline);
  }
};

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

TEST_F(StoryBarViewModelTest, FailedLoadLeavesNoGroupsAndLogsOneLine) {
  storiesAnswer = ScriptedHttpSession::status(503);
  auto bar = makeBar("home");
  fake.settle();

  EXPECT_FALSE(bar->isLoading());
  EXPECT_TRUE(bar->groups().empty());
  EXPECT_FALSE(bar->errorMessage());
  ASSERT_EQ(fake.console->lines().size(), 1u);
  EXPECT_EQ(fake.console->lines()[0], "[Orvane] Failed to load stories for placement 'home': " +
                                          errorDescription(StoryAPIError::httpStatus(503)));
}

TEST_F(StoryBarViewModelTest, UnconfiguredLoadFailsLikeAnyOther) {
  testing::FakePlatform otherFake;
  StorySDK unconfigured{otherFake.platform()};
  auto bar = StoryBarViewModel::create("home", unconfigured, pipeline);
  otherFake.settle();

  EXPECT_TRUE(otherFake.http->requests().empty());
  ASSERT_EQ(otherFake.console->lines().size(), 1u);
  EXPECT_EQ(otherFake.console->lines()[0], "[Orvane] Failed to load stories for placement 'home': " +
                                               StoryAPIError::notConfigured().errorDescription());
}

TEST_F(StoryBarViewModelTest, AnswerAfterReleaseIsDropped) {
  storiesAnswer = ScriptedHttpSession::status(500);
  auto bar = makeBar();
  bar.reset();
  fake.settle();
  EXPECT_TRUE(fake.console->lines().empty());
}

TEST_F(StoryBarViewModelTest, ImpressionOncePerGroupAndPrefetchForTheFirstThreeOnly) {
  std::vector<StoryGroup> groups;
  for (int g = 1; g <= 5; ++g) {
    groups.push_back(group(uuid(g), {page({.id = uuid(g, 1), .media = mediaUrl("page" + std::to_string(g))})},
                           mediaUrl("cover" + std::to_string(g))));
  }
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
  // Cover first, then the first page, for groups 1 to 3 only.
  EXPECT_EQ(imageUrls(), (std::vector<std::string>{
                             mediaUrl("cover1").string(), mediaUrl("page1").string(), mediaUrl("cover2").string(),
                             mediaUrl("page2").string(), mediaUrl("cover3").string(), mediaUrl("page3").string()}));
}

TEST_F(StoryBarViewModelTest, GroupWithoutImagesStillTakesAPrefetchPlace) {
  auto bar = makeBar();
  bar->groupDidAppear(group(uuid(1), {}));
  bar->groupDidAppear(group(uuid(2), {page({.id = uuid(2, 1)})}));
  bar->groupDidAppear(group(uuid(3), {page({.id = uuid(3, 1), .media = mediaUrl("page3")})}));
  bar->groupDidAppear(group(uuid(4), {}, mediaUrl("cover4")));
  fake.settle();

  EXPECT_EQ(imageUrls(), std::vector<std::string>{mediaUrl("page3").string()});
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
