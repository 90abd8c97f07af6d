#include <orvane/stories/story_navigator.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <orvane/core/seen_story_groups.h>
#include <orvane/stories/story_lookup.h>
#include <orvane/stories/story_viewer_view_model.h>
#include "stories/story_fixtures.h"

namespace orvane {
namespace {

using testing::group;
using testing::page;
using testing::plainGroup;
using testing::ScriptedHttpSession;
using testing::uuid;
using Kind = StorySDKEvent::Kind;
using ViewerKind = StoryViewerEvent::Kind;

// Ids with letters; the SDK keeps them as the service writes them, which may be either case.
const std::string kUpperGroup = "A1B2C3D4-0000-4000-8000-00000000ABCD";
const std::string kUpperPage = "A1B2C3D4-0000-4000-8000-0000000000EF";
const std::string kLowerGroup = "a1b2c3d4-0000-4000-8000-00000000abcd";

// A host on the SDK: the presenter shows each viewer at once, as the Qt binding does.
class StoryNavigatorTest : public testing::StoryModelTest {
 protected:
  StoryNavigatorTest() {
    storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody(
        {plainGroup(1, 2), group(kUpperGroup, {page({.id = uuid(2, 1)}), page({.id = kUpperPage})}),
         plainGroup(3, 3)}));
    sdk.navigator().setPresenter([this](const StoryPresentation& presentation) {
      presented.push_back(presentation);
      viewer = StoryViewerViewModel::create(presentation.groups, presentation.groupIndex,
                                            presentation.placementKey, sdk.services(), pipeline);
      viewer->startAtPage(presentation.itemIndex);
      sdk.navigator().attach(viewer);
      viewer->start();
      return true;
    });
    sdk.setStoryViewerListener([this](const StoryViewerEvent& event) { told.push_back(event); });
  }

  std::optional<StoryOpenRefusal> open(StoryLink target) {
    std::optional<StoryOpenRefusal> refusal;
    bool answered = false;
    sdk.openStory(target, [&](const std::optional<StoryOpenRefusal>& result) {
      answered = true;
      refusal = result;
    });
    fake.settle();
    EXPECT_TRUE(answered);
    return refusal;
  }

  std::vector<StoryPresentation> presented;
  std::shared_ptr<StoryViewerViewModel> viewer;
  std::vector<StoryViewerEvent> told;
};

TEST_F(StoryNavigatorTest, OpensAtAGroupAndPageReportingAsABubbleTapDoes) {
  // The bubble tap: a bar's groups, the viewer at the tapped group.
  auto bar = makeBar();
  fake.settle();
  const auto sentBeforeTap = serviceEventTypes().size();
  forgetEvents();
  bar->selectGroup(2);
  auto tapped = startedViewer(bar->groups(), *bar->selectedGroupIndex());
  fake.settle();
  const auto tapEvents = eventKinds();
  auto tapServiceEvents = serviceEventTypes();
  tapServiceEvents.erase(tapServiceEvents.begin(),
                         tapServiceEvents.begin() + static_cast<std::ptrdiff_t>(sentBeforeTap));
  tapped.reset();
  bar.reset();
  forgetEvents();
  // A new session, so that the service events are not de-duplicated away.
  sdk.configure(*sdk.configuration());
  const auto sentBefore = serviceEventTypes().size();

  EXPECT_FALSE(open(StoryLink{"home", uuid(3), std::nullopt}));
  ASSERT_EQ(presented.size(), 1u);
  EXPECT_EQ(presented[0].groupIndex, 2);
  EXPECT_EQ(viewer->currentGroupIndex(), 2);
  EXPECT_EQ(viewer->currentItemIndex(), 0);
  EXPECT_EQ(eventKinds(), tapEvents);
  const auto sent = serviceEventTypes();
  EXPECT_EQ(std::vector<std::string>(sent.begin() + static_cast<std::ptrdiff_t>(sentBefore), sent.end()),
            tapServiceEvents);
  EXPECT_EQ(sdk.placementKey(events.front()), "home");

  // At a page: the viewer starts there, its impression the first one reported.
  forgetEvents();
  EXPECT_FALSE(open(StoryLink{"home", uuid(3), uuid(3, 3)}));
  EXPECT_EQ(viewer->currentItemIndex(), 2);
  ASSERT_EQ(eventKinds(), (std::vector<Kind>{Kind::storyClose, Kind::storyOpen, Kind::storyItemImpression}));
  EXPECT_EQ(*events[2].itemId(), uuid(3, 3));
  // The last page was reached: the group counts as seen, as it would from the bar.
  EXPECT_TRUE(sdk.seenStoryGroups().contains(uuid(3)));
  EXPECT_TRUE(fake.console->lines().empty());
}

TEST_F(StoryNavigatorTest, UuidsMatchInEitherLetterCaseOtherIdsExactly) {
  EXPECT_FALSE(open(StoryLink{"home", "A1b2C3d4-0000-4000-8000-00000000aBcD", kUpperPage}));
  EXPECT_EQ(viewer->currentGroupIndex(), 1);
  EXPECT_EQ(viewer->currentItemIndex(), 1);

  EXPECT_TRUE(sameStoryId(kUpperGroup, kLowerGroup));
  EXPECT_TRUE(sameStoryId("Summer", "Summer"));
  EXPECT_FALSE(sameStoryId("Summer", "summer"));
  // Only whole UUIDs: a near miss in shape compares exactly.
  EXPECT_FALSE(sameStoryId("A1B2C3D4-0000-4000-8000-00000000ABC", "a1b2c3d4-0000-4000-8000-00000000abc"));
  EXPECT_FALSE(sameStoryId("A1B2C3D4_0000-4000-8000-00000000ABCD", "a1b2c3d4_0000-4000-8000-00000000abcd"));
  EXPECT_FALSE(sameStoryId("G1B2C3D4-0000-4000-8000-00000000ABCD", "g1b2c3d4-0000-4000-8000-00000000abcd"));
}

TEST_F(StoryNavigatorTest, RefusalsAreTypedAndLoggedAndPresentNothing) {
  struct Refused {
    StoryLink target;
    StoryOpenError error;
  };
  const Refused cases[] = {
      {{"home", uuid(9), std::nullopt}, StoryOpenError::unknownGroup},
      {{"home", uuid(1), uuid(2, 1)}, StoryOpenError::unknownPage},
  };
  for (const auto& each : cases) {
    auto refusal = open(each.target);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->error, each.error);
    EXPECT_EQ(fake.console->lines().back(), "[Orvane] " + refusal->reason);
  }
  storiesAnswer = ScriptedHttpSession::status(503);
  EXPECT_EQ(open(StoryLink{"home", uuid(1), std::nullopt})->error, StoryOpenError::loadFailed);
  EXPECT_NE(fake.console->lines().back().find(errorDescription(StoryAPIError::httpStatus(503))), std::string::npos);
  EXPECT_TRUE(presented.empty());
  EXPECT_TRUE(events.empty());

  // A host that opens twice quickly gets the later story; the earlier open is told so.
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({plainGroup(1, 2), plainGroup(2, 1)}));
  std::vector<std::optional<StoryOpenError>> outcomes;
  auto note = [&](const std::optional<StoryOpenRefusal>& refusal) {
    outcomes.push_back(refusal ? std::optional(refusal->error) : std::nullopt);
  };
  sdk.openStory({"home", uuid(1), std::nullopt}, note);
  sdk.openStory({"home", uuid(2), std::nullopt}, note);
  fake.settle();
  // The two answers are decoded on workers, in either order; each open is told once.
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), std::optional(StoryOpenError::superseded)), 1);
  EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), std::nullopt), 1);
  ASSERT_EQ(presented.size(), 1u);
  EXPECT_EQ(presented[0].groupIndex, 1);

  // A presenter without a window to show it in refuses too.
  sdk.navigator().setPresenter([](const StoryPresentation&) { return false; });
  EXPECT_EQ(open(StoryLink{"home", uuid(1), std::nullopt})->error, StoryOpenError::noPresenter);

  // Without a presenter nothing is fetched.
  testing::FakePlatform otherFake;
  StorySDK bare{otherFake.platform()};
  bare.configure(StoryConfiguration("sdk-key", "app-key"));
  std::optional<StoryOpenRefusal> refusal;
  bare.openStory({"home", uuid(1), std::nullopt}, [&](const auto& result) { refusal = result; });
  otherFake.settle();
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->error, StoryOpenError::noPresenter);
  for (const auto& request : otherFake.http->requests())
    EXPECT_EQ(request.url.string().find("/placements/"), std::string::npos);
}

TEST_F(StoryNavigatorTest, LinksOpenOnlyUnderTheHostsScheme) {
  std::optional<StoryOpenRefusal> refusal;
  auto keep = [&](const std::optional<StoryOpenRefusal>& result) { refusal = result; };
  sdk.openStoryLink("myapp://stories/home/" + uuid(3) + "/" + uuid(3, 2), keep);
  fake.settle();
  ASSERT_TRUE(refusal);  // no scheme set yet
  EXPECT_EQ(refusal->error, StoryOpenError::invalidLink);

  sdk.setStoryLinkScheme("myapp");
  sdk.openStoryLink("myapp://stories/home/" + uuid(3) + "/" + uuid(3, 2), keep);
  fake.settle();
  EXPECT_FALSE(refusal);
  EXPECT_EQ(viewer->currentGroupIndex(), 2);
  EXPECT_EQ(viewer->currentItemIndex(), 1);

  sdk.openStoryLink("myapp://stories/home/" + uuid(3) + "?x=1", keep);
  fake.settle();
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->error, StoryOpenError::invalidLink);
  EXPECT_EQ(fake.console->lines().back(), "[Orvane] Cannot open story link: a query or fragment is not allowed");
  EXPECT_EQ(presented.size(), 1u);
}

TEST_F(StoryNavigatorTest, TheHostSteersTheViewerOnScreenAndHearsWhatItDoes) {
  EXPECT_FALSE(sdk.isStoryViewerOpen());
  sdk.nextStoryPage();  // nothing to steer
  ASSERT_FALSE(open(StoryLink{"home", uuid(1), std::nullopt}));
  EXPECT_TRUE(sdk.isStoryViewerOpen());

  sdk.pauseStory();
  ticks(50);
  EXPECT_EQ(viewer->progress(), 0);
  // The view's own resumption (media arrived) does not undo the host's pause.
  viewer->resume();
  ticks(10);
  EXPECT_EQ(viewer->progress(), 0);
  sdk.resumeStory();
  ticks(10);
  EXPECT_NEAR(viewer->progress(), 0.1, 1e-9);

  sdk.nextStoryPage();
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  sdk.nextStoryPage();
  EXPECT_EQ(viewer->currentGroupIndex(), 1);
  sdk.previousStoryPage();
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->currentItemIndex(), 1);
  sdk.closeStory();
  EXPECT_TRUE(viewer->shouldDismiss());
  EXPECT_FALSE(sdk.isStoryViewerOpen());
  sdk.closeStory();

  std::vector<std::tuple<ViewerKind, std::string, std::string>> heard;
  for (const auto& event : told) {
    EXPECT_EQ(event.placementKey, "home");
    heard.emplace_back(event.kind, event.groupId, event.pageId);
  }
  EXPECT_EQ(heard, (std::vector<std::tuple<ViewerKind, std::string, std::string>>{
                       {ViewerKind::opened, uuid(1), uuid(1, 1)},
                       {ViewerKind::pageChanged, uuid(1), uuid(1, 2)},
                       {ViewerKind::pageChanged, kLowerGroup, uuid(2, 1)},
                       {ViewerKind::pageChanged, uuid(1), uuid(1, 2)},
                       {ViewerKind::closed, uuid(1), uuid(1, 2)},
                   }));
  EXPECT_EQ(count(Kind::storyClose), 1u);

  // A viewer a bar presented is steered the same way once attached; playing out closes it.
  told.clear();
  auto fromBar = makeViewer({plainGroup(5, 1)});
  sdk.navigator().attach(fromBar);
  fromBar->start();
  sdk.nextStoryPage();
  EXPECT_TRUE(fromBar->shouldDismiss());
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1].kind, ViewerKind::closed);
}

TEST_F(StoryNavigatorTest, SharingNeedsAHandlerAndASchemeAndHandsOverTheLinkAndTitle) {
  const StoryGroup shared = group(uuid(1), {StoryItem(uuid(1, 1), std::string("Sale"), std::nullopt, StoryMediaType::image,
                                                      std::nullopt, 5, std::nullopt, std::nullopt, WidgetType::none,
                                                      std::nullopt, std::nullopt, {}, std::nullopt),
                                            page({.id = uuid(1, 2)})});
  auto& navigator = sdk.navigator();
  EXPECT_FALSE(navigator.shareOf("home", shared, shared.items()[0]));
  std::vector<StoryShare> handed;
  sdk.setStoryShareHandler([&](const StoryShare& share) { handed.push_back(share); });
  EXPECT_FALSE(navigator.shareOf("home", shared, shared.items()[0]));  // no scheme: no link
  sdk.setStoryLinkScheme("myapp");

  EXPECT_TRUE(navigator.share("home", shared, shared.items()[0]));
  EXPECT_TRUE(navigator.share("home", shared, shared.items()[1]));
  ASSERT_EQ(handed.size(), 2u);
  EXPECT_EQ(handed[0].link, "myapp://stories/home/" + uuid(1) + "/" + uuid(1, 1));
  EXPECT_EQ(handed[0].title, "Sale");
  EXPECT_EQ(handed[1].title, "Group");  // a page without a title: its group's

  // Ids that make no link are not offered, and the shared link opens the page again.
  EXPECT_FALSE(navigator.shareOf("home page", shared, shared.items()[0]));
  storiesAnswer = ScriptedHttpSession::ok(testing::storiesBody({shared}));
  std::optional<StoryOpenRefusal> refusal;
  sdk.openStoryLink(handed[1].link, [&](const auto& result) { refusal = result; });
  fake.settle();
  EXPECT_FALSE(refusal);
  EXPECT_EQ(viewer->currentItemIndex(), 1);

  sdk.setStoryShareHandler({});
  EXPECT_FALSE(navigator.share("home", shared, shared.items()[0]));
}

TEST_F(StoryNavigatorTest, UnseenFirstOrderAppliesToBarsAndOpeningsAlike) {
  sdk.seenStoryGroups().markSeen(uuid(1));
  sdk.seenStoryGroups().markSeen(uuid(3));
  auto asServed = makeBar();
  fake.settle();
  ASSERT_EQ(asServed->groups().size(), 3u);
  EXPECT_EQ(asServed->groups()[0].id(), uuid(1));

  auto configuration = *sdk.configuration();
  configuration.setBarOrder(StoryBarOrder::unseenFirst);
  sdk.configure(configuration);
  auto unseenFirst = makeBar();
  fake.settle();
  std::vector<std::string> ids;
  for (const auto& each : unseenFirst->groups()) ids.push_back(each.id());
  EXPECT_EQ(ids, (std::vector<std::string>{kLowerGroup, uuid(1), uuid(3)}));

  // The viewer opened by id plays on in the order the bar shows.
  EXPECT_FALSE(open(StoryLink{"home", kUpperGroup, std::nullopt}));
  EXPECT_EQ(viewer->currentGroupIndex(), 0);
  EXPECT_EQ(viewer->groups()[1].id(), uuid(1));
}

}  // namespace
}  // namespace orvane
