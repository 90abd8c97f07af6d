#include <orvane/api/analytics_api.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;

StoryGroup group(const std::string& id) {
  return StoryGroup(id, "Title", StoryTheme::default_(), std::nullopt, {});
}

class AnalyticsAPITest : public ::testing::Test {
 protected:
  void configure(const std::string& appKey = "app-key") {
    sdk.configure(StoryConfiguration("secret", appKey, StoryEnvironment::production));
  }

  // What the emitters hand over: the facade's configuration and placement for the event.
  void send(const StorySDKEvent& event) {
    sdk.services().events.analyticsAPI().send(event, sdk.configuration(), sdk.placementKey(event));
  }

  std::vector<nlohmann::ordered_json> records() const {
    std::vector<nlohmann::ordered_json> bodies;
    for (const auto& request : fake.http->requests())
      bodies.push_back(nlohmann::ordered_json::parse(*request.body));
    return bodies;
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
};

TEST_F(AnalyticsAPITest, RecordGoesToThePerAppEndpointWithItsKeysInOrder) {
  configure("my app/../x");
  sdk.rememberPlacementKeys({group("g1")}, "home");
  send(StorySDKEvent::storyItemImpression("g1", "i1"));

  auto requests = fake.http->requests();
  ASSERT_EQ(requests.size(), 1u);
  // The app key is one percent-encoded path segment.
  EXPECT_EQ(requests[0].url.string(), "https://api.orvane.io/sdk/v1/apps/my%20app%2F..%2Fx/events");
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(*requests[0].header("Content-Type"), "application/json");
  EXPECT_EQ(*requests[0].header("X-Zephro-SDK-Key"), "secret");
  EXPECT_EQ(requests[0].header("X-Zephro-AppId"), nullptr);
  EXPECT_EQ(
      records()[0].dump(),
      R"({"placementKey":"home","storyGroupId":"g1","storyItemId":"i1","eventType":"STORY_ITEM_VIEWED",)"
      R"("devicePlatform":"IOS","userLanguage":"en-US","country":"US",)"
      R"("deviceId":"11111111-2222-4333-8444-555555555555","sessionId":")" +
          sdk.sessionId() + R"(","occurredAt":"2024-05-01T12:30:00Z"})");
}

TEST_F(AnalyticsAPITest, EventsMapToTheirTypesAndIds) {
  configure();
  sdk.rememberPlacementKeys({group("g1")}, "home");
  struct Case {
    StorySDKEvent event;
    const char* type;
    bool withItem;
  };
  std::vector<Case> cases = {{StorySDKEvent::storyOpen("g1"), "STORY_GROUP_OPENED", false},
                             {StorySDKEvent::storyClose("g1"), "STORY_DISMISSED", false},
                             {StorySDKEvent::storyCompleted("g1"), "STORY_GROUP_COMPLETED", false},
                             {StorySDKEvent::pollViewed("g1", "i"), "POLL_VIEWED", true},
                             {StorySDKEvent::pollVoted("g1", "i"), "POLL_VOTED", true},
                             {StorySDKEvent::quizViewed("g1", "i"), "QUIZ_VIEWED", true},
                             {StorySDKEvent::quizAnswered("g1", "i"), "QUIZ_ANSWERED", true},
                             {StorySDKEvent::swipeUp("g1", "i"), "SWIPE_UP", true}};
  for (const auto& c : cases) send(c.event);

  auto bodies = records();
  ASSERT_EQ(bodies.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(bodies[i]["eventType"], cases[i].type);
    EXPECT_EQ(bodies[i]["storyGroupId"], "g1");
    EXPECT_EQ(bodies[i].contains("storyItemId"), cases[i].withItem) << cases[i].type;
  }
}

TEST_F(AnalyticsAPITest, PlacementViewGoesOutOncePerPlacementAndSessionWithoutGroup) {
  configure();
  sdk.rememberPlacementKeys({group("g1"), group("g2")}, "home");
  send(StorySDKEvent::storyGroupImpression("g1"));
  send(StorySDKEvent::storyGroupImpression("g2"));
  send(StorySDKEvent::storyGroupImpression("g1"));
  ASSERT_EQ(records().size(), 1u);
  EXPECT_EQ(records()[0]["eventType"], "PLACEMENT_VIEWED");
  EXPECT_EQ(records()[0]["placementKey"], "home");
  EXPECT_FALSE(records()[0].contains("storyGroupId"));
  EXPECT_FALSE(records()[0].contains("storyItemId"));

  configure();
  send(StorySDKEvent::storyGroupImpression("g2"));
  EXPECT_EQ(records().size(), 2u);
}

TEST_F(AnalyticsAPITest, NothingIsSentOrMarkedBeforeConfigureOrForAGroupOfNoKnownPlacement) {
  sdk.rememberPlacementKeys({group("g1")}, "home");
  send(StorySDKEvent::storyOpen("g1"));
  send(StorySDKEvent::storyGroupImpression("g1"));
  configure();
  send(StorySDKEvent::storyOpen("never-fetched"));
  send(StorySDKEvent::storyGroupImpression("stray"));
  // Even with an explicit placement key the unknown group must not mark anything.
  sdk.services().events.analyticsAPI().send(StorySDKEvent::storyGroupImpression("stray"), sdk.configuration(), "home");
  EXPECT_TRUE(fake.http->requests().empty());

  // Neither the unconfigured attempt nor the stray group used up a placement view.
  sdk.rememberPlacementKeys({group("stray")}, "feed");
  send(StorySDKEvent::storyGroupImpression("g1"));
  send(StorySDKEvent::storyGroupImpression("stray"));
  EXPECT_EQ(records().size(), 2u);
}

TEST_F(AnalyticsAPITest, BannerEventsAndIdsThatAreNotUtf8ProduceNoRecord) {
  configure();
  send(StorySDKEvent::bannerImpression("42", "7", "top"));
  send(StorySDKEvent::bannerClick("42", std::nullopt, "top", Url::parse("https://example.com")));
  std::string badGroup("g\xFE", 2);
  sdk.rememberPlacementKeys({group(badGroup)}, "home");
  send(StorySDKEvent::storyOpen(badGroup));
  EXPECT_TRUE(fake.http->requests().empty());
}

TEST_F(AnalyticsAPITest, PlatformValuesThatDoNotQualifyAreLeftOut) {
  fake.locale->set("123", "USA");
  fake.device->id = std::nullopt;
  configure();
  sdk.rememberPlacementKeys({group("g1")}, "home");
  send(StorySDKEvent::storyOpen("g1"));
  ASSERT_EQ(records().size(), 1u);
  auto body = records()[0];
  EXPECT_FALSE(body.contains("userLanguage"));
  EXPECT_FALSE(body.contains("country"));
  EXPECT_FALSE(body.contains("deviceId"));
  EXPECT_EQ(body["sessionId"], sdk.sessionId());
}

}  // namespace
}  // namespace orvane
