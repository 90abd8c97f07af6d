#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/story_sdk.h"
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;

StoryGroup group(const std::string& id) {
  return StoryGroup(id, "Title", StoryTheme::default_(), std::nullopt, {});
}

class EventTrackingTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.store->set("zephro_anonymous_user_id", "ANON-1"); }

  void configure() { sdk.configure(StoryConfiguration("secret", "app-key", StoryEnvironment::staging)); }

  std::vector<HttpRequest> requestsTo(const std::string& pathSuffix) const {
    std::vector<HttpRequest> matching;
    for (auto& request : fake.http->requests()) {
      const auto& url = request.url.string();
      if (url.size() >= pathSuffix.size() &&
          url.compare(url.size() - pathSuffix.size(), pathSuffix.size(), pathSuffix) == 0)
        matching.push_back(request);
    }
    return matching;
  }
  std::vector<HttpRequest> serviceEvents() const { return requestsTo("/sdk/v1/events"); }

  std::vector<std::string> serviceEventTypes() const {
    std::vector<std::string> types;
    for (auto& request : serviceEvents()) types.push_back(nlohmann::json::parse(*request.body)["eventType"]);
    return types;
  }

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
};

TEST_F(EventTrackingTest, StoryEventBodyHasItsKeysInOrderAndNoBannerKeys) {
  configure();
  sdk.trackStoryEvent(SdkEventType::pollView, "home", "g1", "i1");

  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 1u);
  const auto& request = events[0];
  EXPECT_EQ(request.url.string(), "https://api.orvane.io/sdk/v1/events");
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.timeout, std::chrono::seconds{60});
  ASSERT_NE(request.header("Content-Type"), nullptr);
  EXPECT_EQ(*request.header("Content-Type"), "application/json");
  ASSERT_NE(request.header("X-Zephro-SDK-Key"), nullptr);
  EXPECT_EQ(*request.header("X-Zephro-SDK-Key"), "secret");
  EXPECT_EQ(request.header("X-Zephro-UserId"), nullptr);

  auto body = nlohmann::ordered_json::parse(*request.body);
  EXPECT_EQ(body.dump(),
            R"({"appKey":"app-key","placementKey":"home","eventType":"POLL_VIEW","storyGroupId":"g1",)"
            R"("storyItemId":"i1","anonymousUserId":"ANON-1","sessionId":")" +
                sdk.sessionId() +
                R"(","platform":"IOS","locale":"en-US","sdkVersion":"1.0.0",)"
                R"("occurredAt":"2024-05-01T12:30:00Z","eventId":")" +
                body["eventId"].get<std::string>() + R"("})");
}

TEST_F(EventTrackingTest, BannerEventBodyHasNoStoryKeysAndOmitsAnAbsentSlide) {
  configure();
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", std::nullopt);

  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 1u);
  auto body = nlohmann::ordered_json::parse(*events[0].body);
  EXPECT_EQ(body["bannerId"], "42");
  EXPECT_FALSE(body.contains("bannerItemId"));
  EXPECT_FALSE(body.contains("storyGroupId"));
  EXPECT_FALSE(body.contains("storyItemId"));
}

TEST_F(EventTrackingTest, EveryRequestGetsItsOwnEventId) {
  configure();
  sdk.trackStoryEvent(SdkEventType::ctaClick, "home", "g1", "i1");
  sdk.trackStoryEvent(SdkEventType::ctaClick, "home", "g1", "i1");
  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_NE(nlohmann::json::parse(*events[0].body)["eventId"],
            nlohmann::json::parse(*events[1].body)["eventId"]);
}

TEST_F(EventTrackingTest, RepeatedEventsAreSentOncePerSession) {
  configure();
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_EQ(serviceEventTypes(), (std::vector<std::string>{"STORY_OPEN", "BANNER_IMPRESSION"}));

  configure();
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 3u);
}

TEST_F(EventTrackingTest, IdentityChangeMakesEventsSendableAgain) {
  configure();
  sdk.trackStoryEvent(SdkEventType::storyComplete, "home", "g1", std::nullopt);
  sdk.updateSession(std::nullopt, std::nullopt, "member");
  sdk.trackStoryEvent(SdkEventType::storyComplete, "home", "g1", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 2u);
}

TEST_F(EventTrackingTest, ClicksAreNeverDeduplicated) {
  configure();
  sdk.trackStoryEvent(SdkEventType::ctaClick, "home", "g1", "i1");
  sdk.trackStoryEvent(SdkEventType::ctaClick, "home", "g1", "i1");
  sdk.trackBannerEvent(SdkEventType::bannerClick, "top", "42", "7");
  sdk.trackBannerEvent(SdkEventType::bannerClick, "top", "42", "7");
  EXPECT_EQ(serviceEventTypes(),
            (std::vector<std::string>{"CTA_CLICK", "CTA_CLICK", "BANNER_CLICK", "BANNER_CLICK"}));
}

TEST_F(EventTrackingTest, DeduplicationTellsPlacementsItemsAndTypesApart) {
  configure();
  sdk.trackStoryEvent(SdkEventType::storyGroupImpression, "home", "g1", std::nullopt);
  sdk.trackStoryEvent(SdkEventType::storyGroupImpression, "feed", "g1", std::nullopt);
  sdk.trackStoryEvent(SdkEventType::storyItemView, "home", "g1", "i1");
  sdk.trackStoryEvent(SdkEventType::storyItemView, "home", "g1", "i2");
  sdk.trackStoryEvent(SdkEventType::pollView, "home", "g1", "i1");
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "8");
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 8u);
}

TEST_F(EventTrackingTest, NothingIsSentOrRememberedBeforeConfigure) {
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_TRUE(fake.http->requests().empty());

  configure();
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  sdk.trackBannerEvent(SdkEventType::bannerImpression, "top", "42", "7");
  EXPECT_EQ(serviceEvents().size(), 2u);
}

TEST_F(EventTrackingTest, TheKeyStaysRecordedWhenTheRequestFails) {
  fake.http->setResponder([](const HttpRequest&) { return testing::ScriptedHttpSession::failure(); });
  configure();
  sdk.trackStoryEvent(SdkEventType::swipeUp, "home", "g1", "i1");
  fake.settle();
  sdk.trackStoryEvent(SdkEventType::swipeUp, "home", "g1", "i1");
  EXPECT_EQ(serviceEvents().size(), 1u);
}

TEST_F(EventTrackingTest, TextThatIsNotUtf8DropsTheEventWithoutCrashing) {
  configure();
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", std::string("g\xFF", 2), std::nullopt);
  EXPECT_TRUE(serviceEvents().empty());
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  EXPECT_EQ(serviceEvents().size(), 1u);
}

TEST_F(EventTrackingTest, LocaleWithoutAValidLanguageIsSentAsEn) {
  fake.locale->set("1234", std::nullopt);
  configure();
  sdk.trackStoryEvent(SdkEventType::storyOpen, "home", "g1", std::nullopt);
  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(*events[0].body)["locale"], "en");
}

TEST_F(EventTrackingTest, ReportCallsTheHostForEveryEventAndMapsServiceTypes) {
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
  for (const auto& event : reported) sdk.report(event, "home");

  EXPECT_EQ(received, reported);
  EXPECT_EQ(serviceEventTypes(),
            (std::vector<std::string>{"STORY_GROUP_IMPRESSION", "STORY_OPEN", "POLL_VIEW", "POLL_VOTE",
                                      "QUIZ_VIEW", "QUIZ_ANSWER", "SWIPE_UP", "STORY_COMPLETE"}));
  auto swipe = nlohmann::json::parse(*serviceEvents()[6].body);
  EXPECT_EQ(swipe["storyItemId"], "i3");
  auto open = nlohmann::json::parse(*serviceEvents()[1].body);
  EXPECT_FALSE(open.contains("storyItemId"));
}

TEST_F(EventTrackingTest, ReportFilesStoryEventsUnderTheEmittersPlacement) {
  configure();
  sdk.rememberPlacementKeys({group("g1")}, "home");
  sdk.report(StorySDKEvent::storyOpen("g1"), "viewer-placement");
  auto events = serviceEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(*events[0].body)["placementKey"], "viewer-placement");
}

TEST_F(EventTrackingTest, ReportedBannerEventsReachTheHostAndTheEventsEndpointOnly) {
  int heard = 0;
  sdk.setEventHandler([&](const StorySDKEvent&) { ++heard; });
  configure();
  sdk.report(StorySDKEvent::bannerImpression("42", "7", "top"), "top");
  sdk.report(StorySDKEvent::bannerImpression("42", "7", "top"), "top");
  auto link = Url::parse("https://example.com/offer");
  sdk.report(StorySDKEvent::bannerClick("42", "7", "top", link), "top");
  sdk.report(StorySDKEvent::bannerClick("42", "7", "top", link), "top");

  EXPECT_EQ(heard, 4);
  EXPECT_EQ(fake.http->requests().size(), 3u);
  EXPECT_EQ(serviceEventTypes(),
            (std::vector<std::string>{"BANNER_IMPRESSION", "BANNER_CLICK", "BANNER_CLICK"}));
  auto click = nlohmann::json::parse(*serviceEvents()[1].body);
  EXPECT_EQ(click["bannerItemId"], "7");
}

TEST_F(EventTrackingTest, BeforeConfigureTheHostStillHearsEventsButNothingIsSent) {
  int heard = 0;
  sdk.setEventHandler([&](const StorySDKEvent&) { ++heard; });
  sdk.rememberPlacementKeys({group("g1")}, "home");
  sdk.report(StorySDKEvent::storyOpen("g1"), "home");
  EXPECT_EQ(heard, 1);
  EXPECT_TRUE(fake.http->requests().empty());
}

TEST_F(EventTrackingTest, AHandlerMayReplaceItselfWhileHandlingAnEvent) {
  std::vector<std::string> calls;
  sdk.setEventHandler([&](const StorySDKEvent& event) {
    calls.push_back("first:" + *event.groupId());
    sdk.setEventHandler([&](const StorySDKEvent& later) { calls.push_back("second:" + *later.groupId()); });
  });
  sdk.report(StorySDKEvent::storyOpen("a"), "home");
  sdk.report(StorySDKEvent::storyOpen("b"), "home");
  EXPECT_EQ(calls, (std::vector<std::string>{"first:a", "second:b"}));
}

}  // namespace
}  // namespace orvane
