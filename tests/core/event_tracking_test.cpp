#include <gtest/gtest.h>

#include <set>

#include <nlohmann/json.hpp>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include <orvane/version.h>
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;
using Types = std::vector<std::string>;

StoryGroup group(const std::string& id) {
  return StoryGroup(id, "Title", StoryTheme::default_(), std::nullopt, {});
}

class EventTrackingTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.store->set("zephro_anonymous_user_id", "ANON-1"); }

  void configure() { sdk.configure(StoryConfiguration("secret", "app-key", StoryEnvironment::staging)); }

  // Bodies posted to the events endpoint (analytics records go elsewhere).
  std::vector<nlohmann::ordered_json> serviceEvents() const {
    std::vector<nlohmann::ordered_json> bodies;
    for (auto& request : fake.http->requests()) {
      if (request.url.string() == "https://api.orvane.io/sdk/v1/events")
        bodies.push_back(nlohmann::ordered_json::parse(*request.body));
    }
    return bodies;
  }
  Types serviceEventTypes() const {
    Types types;
    for (auto& body : serviceEvents()) types.push_back(body["eventType"]);
    return types;
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
};

TEST_F(EventTrackingTest, StoryEventBodyHasItsKeysInOrderAndNoBannerKeys) {
  configure();
  sdk.services().events.trackStoryEvent(SdkEventType::pollView, "home", "g1", "i1");

  auto requests = fake.http->requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.url.string(), "https://api.orvane.io/sdk/v1/events");
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.timeout, std::chrono::seconds{60});
  ASSERT_TRUE(request.header("Content-Type") && request.header("X-Zephro-SDK-Key"));
  EXPECT_EQ(*request.header("Content-Type"), "application/json");
  EXPECT_EQ(*request.header("X-Zephro-SDK-Key"), "secret");
  EXPECT_EQ(request.header("X-Zephro-UserId"), nullptr);

  auto body = nlohmann::ordered_json::parse(*request.body);
  EXPECT_EQ(body.dump(),
            R"({"appKey":"app-key","placementKey":"home","eventType":"POLL_VIEW","storyGroupId":"g1",)"
            R"("storyItemId":"i1","anonymousUserId":"ANON-1","sessionId":")" +
                sdk.sessionId() +
                R"(","platform":"IOS","locale":"en-US","sdkVersion":")" ORVANE_VERSION_STRING R"(",)"
                R"("occurredAt":"2024-05-01T12:30:00Z","eventId":")" +
                body["eventId"].get<std::string>() + R"("})");
}

TEST_F(EventTrackingTest, BannerEventBodyHasNoStoryKeysOmitsAnAbsentSlideAndFallsBackToEn) {
  fake.locale->set("1234", std::nullopt);
  configure();
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", std::nullopt);

  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0]["bannerId"], "42");
  EXPECT_EQ(events[0]["locale"], "en");
  for (const char* absent : {"bannerItemId", "storyGroupId", "storyItemId"}) {
    EXPECT_FALSE(events[0].contains(absent)) << absent;
  }
}

TEST_F(EventTrackingTest, RepeatedEventsAreSentOncePerSessionEvenWhenThePostFails) {
  fake.http->setResponder([](const HttpRequest&) { return testing::ScriptedHttpSession::failure(); });
  configure();
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  fake.settle();
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_EQ(serviceEventTypes(), (Types{"STORY_OPEN", "BANNER_IMPRESSION"}));

  // A new session, by configure or by an identity change, sends them again.
  configure();
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.updateSession(std::nullopt, std::nullopt, "member");
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 4u);
}

TEST_F(EventTrackingTest, DeduplicationTellsPlacementsItemsAndTypesApartAndSparesClicks) {
  configure();
  sdk.services().events.trackStoryEvent(SdkEventType::storyGroupImpression, "home", "g1", std::nullopt);
  sdk.services().events.trackStoryEvent(SdkEventType::storyGroupImpression, "feed", "g1", std::nullopt);
  sdk.services().events.trackStoryEvent(SdkEventType::storyItemView, "home", "g1", "i1");
  sdk.services().events.trackStoryEvent(SdkEventType::storyItemView, "home", "g1", "i2");
  sdk.services().events.trackStoryEvent(SdkEventType::pollView, "home", "g1", "i1");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "8");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", std::nullopt);
  for (int i = 0; i < 2; ++i) {
    sdk.services().events.trackStoryEvent(SdkEventType::ctaClick, "home", "g1", "i1");
    sdk.services().events.trackBannerEvent(SdkEventType::bannerClick, "top", "42", "7");
  }

  auto events = serviceEvents();
  auto types = serviceEventTypes();
  ASSERT_EQ(events.size(), 12u);
  EXPECT_EQ(Types(types.begin() + 8, types.end()), (Types{"CTA_CLICK", "BANNER_CLICK", "CTA_CLICK", "BANNER_CLICK"}));
  std::set<std::string> eventIds;
  for (auto& body : events) eventIds.insert(body["eventId"].get<std::string>());
  EXPECT_EQ(eventIds.size(), 12u) << "every request gets its own event id";
}

TEST_F(EventTrackingTest, BeforeConfigureTheHostHearsEventsButNothingIsSentOrRemembered) {
  int heard = 0;
  sdk.setEventHandler([&](const StorySDKEvent&) { ++heard; });
  sdk.rememberPlacementKeys({group("g1")}, "home");
  sdk.services().events.report(StorySDKEvent::storyOpen("g1"), "home");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_EQ(heard, 1);
  EXPECT_TRUE(fake.http->requests().empty());

  configure();
  sdk.services().events.report(StorySDKEvent::storyOpen("g1"), "home");
  sdk.services().events.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_EQ(serviceEvents().size(), 2u);
}

TEST_F(EventTrackingTest, TextThatIsNotUtf8DropsTheEventWithoutCrashing) {
  configure();
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", std::string("g\xFF", 2), std::nullopt);
  EXPECT_TRUE(serviceEvents().empty());
  sdk.services().events.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 1u);
}

TEST_F(EventTrackingTest, ReportCallsTheHostForEveryEventAndSendsUnderTheEmittersPlacement) {
  std::vector<StorySDKEvent> received;
  sdk.setEventHandler([&](const StorySDKEvent& event) { received.push_back(event); });
  configure();
  sdk.rememberPlacementKeys({group("g1")}, "home");

  std::vector<StorySDKEvent> reported = {
      StorySDKEvent::storyGroupImpression("g1"),
      StorySDKEvent::storyOpen("g1"),
      StorySDKEvent::storyOpen("g1"),  // duplicate: the host still hears it
      StorySDKEvent::storyItemImpression("g1", "i1"),
      StorySDKEvent::pollViewed("g1", "i1"),
      StorySDKEvent::pollVoted("g1", "i1"),
      StorySDKEvent::quizViewed("g1", "i2"),
      StorySDKEvent::quizAnswered("g1", "i2"),
      StorySDKEvent::swipeUp("g1", "i3"),
      StorySDKEvent::storyCompleted("g1"),
      StorySDKEvent::storyClose("g1")};
  for (const auto& event : reported) sdk.services().events.report(event, "viewer-placement");

  EXPECT_EQ(received, reported);
  EXPECT_EQ(serviceEventTypes(), (Types{"STORY_GROUP_IMPRESSION", "STORY_OPEN", "POLL_VIEW", "POLL_VOTE",
                                        "QUIZ_VIEW", "QUIZ_ANSWER", "SWIPE_UP", "STORY_COMPLETE"}));
  auto events = serviceEvents();
  EXPECT_EQ(events[6]["storyItemId"], "i3");
  EXPECT_FALSE(events[1].contains("storyItemId"));
  EXPECT_EQ(events[1]["placementKey"], "viewer-placement");
}

TEST_F(EventTrackingTest, ReportedBannerEventsReachTheHostAndTheEventsEndpointOnly) {
  int heard = 0;
  sdk.setEventHandler([&](const StorySDKEvent&) { ++heard; });
  configure();
  auto link = Url::parse("https://example.com/offer");
  for (int i = 0; i < 2; ++i) {
    sdk.services().events.report(StorySDKEvent::bannerImpression("42", "7", "top"), "top");
    sdk.services().events.report(StorySDKEvent::bannerClick("42", "7", "top", link), "top");
  }

  EXPECT_EQ(heard, 4);
  EXPECT_EQ(fake.http->requests().size(), 3u);
  EXPECT_EQ(serviceEventTypes(), (Types{"BANNER_IMPRESSION", "BANNER_CLICK", "BANNER_CLICK"}));
  EXPECT_EQ(serviceEvents()[1]["bannerItemId"], "7");
}

TEST_F(EventTrackingTest, AHandlerMayReplaceItselfWhileHandlingAnEventOrBeCleared) {
  std::vector<std::string> calls;
  sdk.setEventHandler([&](const StorySDKEvent& event) {
    calls.push_back("first:" + *event.groupId());
    sdk.setEventHandler([&](const StorySDKEvent& later) { calls.push_back("second:" + *later.groupId()); });
  });
  sdk.services().events.report(StorySDKEvent::storyOpen("a"), "home");
  sdk.services().events.report(StorySDKEvent::storyOpen("b"), "home");
  sdk.setEventHandler(nullptr);
  EXPECT_FALSE(sdk.eventHandler());
  sdk.services().events.report(StorySDKEvent::storyOpen("c"), "home");
  EXPECT_EQ(calls, (std::vector<std::string>{"first:a", "second:b"}));
}

TEST_F(EventTrackingTest, ListenersHearEveryEventBesideTheHandlerWhicheverHandlerIsSet) {
  std::vector<std::string> calls;
  std::uint64_t second = 0;
  const auto first = sdk.addEventListener([&](const StorySDKEvent& event) {
    calls.push_back("first:" + *event.groupId());
    // Removing a later listener mid-event spares it this event too.
    if (*event.groupId() == "b") sdk.removeEventListener(second);
  });
  second = sdk.addEventListener([&](const StorySDKEvent& event) { calls.push_back("second:" + *event.groupId()); });
  sdk.services().events.report(StorySDKEvent::storyOpen("a"), "home");
  sdk.setEventHandler([&](const StorySDKEvent& event) { calls.push_back("handler:" + *event.groupId()); });
  sdk.services().events.report(StorySDKEvent::storyOpen("b"), "home");
  sdk.removeEventListener(first);
  sdk.services().events.report(StorySDKEvent::storyOpen("c"), "home");
  EXPECT_EQ(calls, (std::vector<std::string>{"first:a", "second:a", "handler:b", "first:b", "handler:c"}));
}

}  // namespace
}  // namespace orvane
