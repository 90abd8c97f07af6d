#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <orvane/stories/story_viewer_view_model.h>
#include "stories/story_fixtures.h"

namespace orvane {
namespace {

using testing::group;
using testing::option;
using testing::page;
using testing::plainGroup;
using testing::ScriptedHttpSession;
using testing::uuid;
using Kind = StorySDKEvent::Kind;
using Counts = std::map<std::string, std::int64_t>;
using Ids = std::pair<std::string, std::string>;

const std::string kPollId = uuid(1, 1);
const std::string kYes = uuid(90, 1);
const std::string kNo = uuid(90, 2);

StoryItem pollPage(const std::string& id = kPollId, WidgetType widget = WidgetType::poll,
                   std::optional<std::string> userVote = std::nullopt) {
  return page({.id = id, .widget = widget, .options = {option(kYes, 3), option(kNo, 1)}, .userVote = userVote});
}

using StoryViewerInteractionsTest = testing::StoryModelTest;

TEST_F(StoryViewerInteractionsTest, VoteIsRestoredFromTheServiceOrFromThisDevice) {
  fake.store->set(sdk.voteStorageKey(uuid(1, 2)), kNo);
  auto viewer = startedViewer({group(uuid(1), {pollPage(uuid(1, 1), WidgetType::poll, kYes), pollPage(uuid(1, 2)),
                                               pollPage(uuid(1, 3))})});
  EXPECT_EQ(viewer->votedOptionId(), kYes);
  EXPECT_TRUE(viewer->showResults());

  viewer->goToNext();
  EXPECT_EQ(viewer->votedOptionId(), kNo);
  EXPECT_TRUE(viewer->showResults());
  viewer->vote(kYes);
  EXPECT_FALSE(viewer->isVotingInProgress());
  EXPECT_TRUE(voteRequests().empty());

  viewer->goToNext();
  EXPECT_FALSE(viewer->votedOptionId());
  EXPECT_FALSE(viewer->showResults());
}

TEST_F(StoryViewerInteractionsTest, OnlyPollAndQuizPagesTakeOneVoteAtATime) {
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1)}), page({.id = uuid(1, 2), .widget = WidgetType::swipe}),
                                               pollPage(uuid(1, 3))})});
  viewer->vote(kYes);
  viewer->goToNext();
  viewer->vote(kYes);
  EXPECT_TRUE(voteRequests().empty());

  viewer->goToNext();
  viewer->vote(kYes);
  viewer->vote(kNo);
  EXPECT_TRUE(viewer->isVotingInProgress());
  EXPECT_EQ(viewer->votedOptionId(), kYes);
  EXPECT_FALSE(viewer->showResults());
  ASSERT_EQ(voteRequests().size(), 1u);
  EXPECT_NE(voteRequests()[0].url.string().find("/story-items/" + uuid(1, 3) + "/vote"), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(*voteRequests()[0].body).at("optionId"), kYes);
}

TEST_F(StoryViewerInteractionsTest, AcceptedVoteIsStoredMergedReportedAndRefreshed) {
  // The service echoes another option: the device remembers the one that was sent.
  voteAnswer = ScriptedHttpSession::ok(testing::voteBody(kNo, 42));
  auto viewer = startedViewer({group(uuid(1), {pollPage()})});
  viewer->vote(kYes);

  deliverOnce();
  EXPECT_FALSE(viewer->isVotingInProgress());
  EXPECT_EQ(fake.store->string(sdk.voteStorageKey(kPollId)), kYes);
  EXPECT_EQ(viewer->updatedVoteCounts(), (Counts{{kNo, 42}}));
  EXPECT_TRUE(viewer->showResults());
  EXPECT_EQ(eventKinds().back(), Kind::pollVoted);
  EXPECT_EQ(*events.back().itemId(), kPollId);
  EXPECT_EQ(serviceEvents("POLL_VOTE"), (std::vector<Ids>{{uuid(1), kPollId}}));
  ASSERT_EQ(storyRequests().size(), 1u);
  EXPECT_NE(storyRequests()[0].url.string().find("/placements/home/stories"), std::string::npos);

  // Fresh counts, and the service's own record of the vote.
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody(
      {group(uuid(1), {page({.id = kPollId, .widget = WidgetType::poll,
                             .options = {option(kYes, 10), option(kNo, 43)}, .userVote = kNo})})}));
  fake.settle();
  EXPECT_EQ(viewer->updatedVoteCounts(), (Counts{{kYes, 10}, {kNo, 43}}));
  EXPECT_EQ(viewer->votedOptionId(), kNo);
  EXPECT_TRUE(viewer->showResults());
  EXPECT_EQ(viewer->currentItem()->widgetOptions()[0].voteCount(), 10);
}

TEST_F(StoryViewerInteractionsTest, QuizAnswerIsReportedAsSuch) {
  auto viewer = startedViewer({group(uuid(1), {pollPage(kPollId, WidgetType::quiz)})});
  viewer->vote(kYes);
  fake.settle();
  EXPECT_EQ(count(Kind::quizAnswered), 1u);
  EXPECT_EQ(count(Kind::pollVoted), 0u);
  EXPECT_EQ(serviceEvents("QUIZ_ANSWER"), (std::vector<Ids>{{uuid(1), kPollId}}));
}

TEST_F(StoryViewerInteractionsTest, RefreshClampsThePositionIntoTheNewGroupsIfAny) {
  auto viewer = startedViewer({plainGroup(1, 1), group(uuid(2), {page({.id = uuid(2, 1)}), page({.id = uuid(2, 2)}),
                                                                 pollPage(uuid(2, 3))})},
                              1);
  viewer->goToNext();
  viewer->goToNext();
  ticks(4);
  viewer->vote(kYes);
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(2, 2)}));
  fake.settle();

  EXPECT_EQ(viewer->groups().size(), 1u);
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  EXPECT_EQ(viewer->currentItem()->id(), uuid(2, 2));
  // The page itself is not restarted.
  EXPECT_NEAR(viewer->progress(), 0.04, 1e-9);

  // Without groups there is no current group, and nothing left to play or answer.
  storiesAnswer = ScriptedHttpSession::ok(R"({"groups": []})");
  auto emptied = startedViewer({group(uuid(1), {pollPage()})});
  emptied->vote(kNo);
  fake.settle();
  EXPECT_TRUE(emptied->groups().empty());
  EXPECT_EQ(emptied->currentGroupIndex(), 0);
  EXPECT_EQ(emptied->currentGroup(), nullptr);
  EXPECT_EQ(emptied->theme(), StoryTheme::default_());
  ticks(200);
  emptied->goToNext();
  EXPECT_FALSE(emptied->shouldDismiss());
}

TEST_F(StoryViewerInteractionsTest, FailedVoteRollsBackOnlyThePageStillShown) {
  voteAnswer = ScriptedHttpSession::status(500);
  auto viewer = startedViewer({group(uuid(1), {pollPage(uuid(1, 1)), pollPage(uuid(1, 2))})});
  viewer->vote(kYes);
  fake.settle();
  EXPECT_FALSE(viewer->votedOptionId());
  EXPECT_FALSE(viewer->showResults());
  EXPECT_FALSE(viewer->isVotingInProgress());
  EXPECT_FALSE(fake.store->string(sdk.voteStorageKey(uuid(1, 1))));
  EXPECT_EQ(count(Kind::pollVoted), 0u);
  EXPECT_TRUE(storyRequests().empty());

  // Voting again works; then the user moves on to a page answered on this device earlier.
  viewer->vote(kNo);
  fake.store->set(sdk.voteStorageKey(uuid(1, 2)), kYes);
  viewer->goToNext();
  fake.settle();
  EXPECT_EQ(viewer->votedOptionId(), kYes);
  EXPECT_TRUE(viewer->showResults());
  EXPECT_FALSE(viewer->isVotingInProgress());
}

TEST_F(StoryViewerInteractionsTest, AcceptedVoteArrivingAfterMovingOnLeavesTheNewPageUnanswered) {
  voteAnswer = ScriptedHttpSession::ok(testing::voteBody(kYes, 4));
  auto viewer = startedViewer({group(uuid(1), {pollPage(uuid(1, 1)), pollPage(uuid(1, 2))})});
  viewer->vote(kYes);
  viewer->goToNext();
  deliverOnce();

  EXPECT_FALSE(viewer->showResults());
  EXPECT_FALSE(viewer->votedOptionId());
  EXPECT_TRUE(viewer->updatedVoteCounts().empty());
  EXPECT_EQ(fake.store->string(sdk.voteStorageKey(uuid(1, 1))), kYes);
  EXPECT_EQ(count(Kind::pollVoted), 1u);

  viewer->vote(kNo);
  EXPECT_EQ(voteRequests().size(), 2u);
}

TEST_F(StoryViewerInteractionsTest, VoteAnswerAfterReleaseIsDropped) {
  auto viewer = startedViewer({group(uuid(1), {pollPage()})});
  viewer->vote(kYes);
  forgetEvents();
  viewer.reset();
  fake.settle();
  EXPECT_FALSE(fake.store->string(sdk.voteStorageKey(kPollId)));
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(storyRequests().empty());
}

TEST_F(StoryViewerInteractionsTest, SwipesWithinTheDebounceCountOnce) {
  const auto link = *Url::parse("https://shop.example.com/offer");
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1), .widget = WidgetType::swipe, .swipeURL = link})})});
  auto later = [&](std::chrono::milliseconds span) { fake.clock->set(fake.clock->now() + span); };
  viewer->handleSwipeUp();
  later(std::chrono::milliseconds(500));
  viewer->handleSwipeUp();
  EXPECT_EQ(count(Kind::swipeUp), 1u);
  EXPECT_EQ(opened, std::vector<std::string>{link.string()});

  later(std::chrono::milliseconds(900));
  viewer->handleSwipeUp();
  EXPECT_EQ(count(Kind::swipeUp), 2u);
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  EXPECT_FALSE(viewer->shouldDismiss());
}

TEST_F(StoryViewerInteractionsTest, SwipeWithoutLinkAdvancesAfterReporting) {
  auto viewer = startedViewer({group(uuid(1), {page({.id = uuid(1, 1), .widget = WidgetType::swipe}),
                                               page({.id = uuid(1, 2), .widget = WidgetType::swipe})})});
  forgetEvents();
  viewer->handleSwipeUp();
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0].kind(), Kind::swipeUp);
  EXPECT_EQ(*events[0].itemId(), uuid(1, 1));
  EXPECT_EQ(events[1].kind(), Kind::storyItemImpression);

  // A new showing of a page starts a new debounce.
  viewer->handleSwipeUp();
  EXPECT_TRUE(viewer->shouldDismiss());
  fake.settle();
  EXPECT_EQ(serviceEvents("SWIPE_UP"), (std::vector<Ids>{{uuid(1), uuid(1, 1)}, {uuid(1), uuid(1, 2)}}));
}

TEST_F(StoryViewerInteractionsTest, SwipeElsewhereOrWithoutOpenerStaysPut) {
  const auto link = *Url::parse("https://shop.example.com/offer");
  auto viewer = StoryViewerViewModel::create(
      {group(uuid(1), {page({.id = uuid(1, 1)}), page({.id = uuid(1, 2), .widget = WidgetType::swipe, .swipeURL = link})})},
      0, "home", sdk.services(), pipeline);
  viewer->start();
  viewer->handleSwipeUp();
  EXPECT_EQ(count(Kind::swipeUp), 0u);
  viewer->goToNext();
  viewer->handleSwipeUp();
  EXPECT_EQ(count(Kind::swipeUp), 1u);
  EXPECT_EQ(viewer->currentItemIndex(), 1);
}

TEST_F(StoryViewerInteractionsTest, EveryCallToActionTapIsSentAndNotReportedToTheHost) {
  auto viewer = startedViewer({plainGroup(1, 1)});
  forgetEvents();
  viewer->handleCtaTap();
  viewer->handleCtaTap();
  fake.settle();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(serviceEvents("CTA_CLICK"), (std::vector<Ids>{{uuid(1), uuid(1, 1)}, {uuid(1), uuid(1, 1)}}));

  auto empty = startedViewer({});
  empty->handleCtaTap();
  fake.settle();
  EXPECT_EQ(serviceEvents("CTA_CLICK").size(), 2u);
}

}  // namespace
}  // namespace orvane
