#include <gtest/gtest.h>

#include <orvane/api/analytics_api.h>
#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/run_loop.h>
#include <orvane/platform/uuid.h>
#include "support/fake_platform.h"

namespace orvane {
namespace {

using testing::FakePlatform;

StoryGroup group(const std::string& id) {
  return StoryGroup(id, "Title " + id, StoryTheme::default_(), std::nullopt, {});
}

StoryConfiguration configurationWithIdentity(std::optional<std::string> appId,
                                             std::optional<std::string> bundleId,
                                             std::optional<std::string> userId) {
  return StoryConfiguration("sdk-key", "app-key", StoryEnvironment::staging, std::move(appId),
                            std::move(bundleId), std::move(userId));
}

class StorySDKIdentityTest : public ::testing::Test {
 protected:
  FakePlatform fake;
  StorySDK sdk{fake.platform()};
};

TEST_F(StorySDKIdentityTest, BeforeConfigureThereIsNoSessionOrUserAndUpdatesAreIgnored) {
  sdk.updateSession("app", "bundle", "user");
  EXPECT_FALSE(sdk.configuration().has_value());
  EXPECT_EQ(sdk.sessionId(), "");
  EXPECT_EQ(sdk.userId(), "");
  EXPECT_EQ(sdk.resolvedAppId(), std::nullopt);
  EXPECT_EQ(sdk.resolvedUserId(), std::nullopt);
  EXPECT_EQ(sdk.resolvedBundleId(), "com.example.host");  // the main bundle is known already
  EXPECT_FALSE(sdk.services().events.analyticsAPI().sessionId().empty());
  EXPECT_EQ(sdk.voteStorageKey("item-1"), "orvane_widget_vote:unknown-app::item-1");
}

TEST_F(StorySDKIdentityTest, AnonymousIdIsCreatedOncePersistedAndReusedUntrimmed) {
  fake.store->set("zephro_anonymous_user_id", "");  // empty counts as none
  sdk.configure(configurationWithIdentity(std::nullopt, std::nullopt, std::nullopt));
  auto created = sdk.userId();
  EXPECT_EQ(fake.store->string("zephro_anonymous_user_id"), created);
  EXPECT_TRUE(canonicalLowercaseUuid(created).has_value());

  FakePlatform other;
  other.store->set("zephro_anonymous_user_id", " kept as is ");
  StorySDK second(other.platform());
  second.configure(configurationWithIdentity(std::nullopt, std::nullopt, std::nullopt));
  EXPECT_EQ(second.userId(), " kept as is ");
}

TEST_F(StorySDKIdentityTest, ATamperedAnonymousIdIsReplacedAsIfAbsentAndStoredAnew) {
  const std::string tampered[] = {"ID\r\nX-Injected: 1", "line\nbreak", "tab\there", std::string(100 * 1024, 'A'),
                                  std::string(129, 'B'), "caf\xC3\xA9", std::string("nul\0inside", 10)};
  for (const auto& stored : tampered) {
    FakePlatform device;
    device.store->set("zephro_anonymous_user_id", stored);
    StorySDK tamperedSdk(device.platform());
    tamperedSdk.configure(configurationWithIdentity(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_TRUE(canonicalLowercaseUuid(tamperedSdk.userId()).has_value()) << stored.substr(0, 40);
    EXPECT_EQ(device.store->string("zephro_anonymous_user_id"), tamperedSdk.userId());
  }
  // At the bound, and any printable text short of it, is kept.
  for (const std::string& kept : {std::string(128, 'C'), std::string("member:7/~!")}) {
    FakePlatform device;
    device.store->set("zephro_anonymous_user_id", kept);
    StorySDK keptSdk(device.platform());
    keptSdk.configure(configurationWithIdentity(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(keptSdk.userId(), kept);
  }
}

TEST_F(StorySDKIdentityTest, EveryConfigureStartsANewSessionSharedWithAnalytics) {
  auto configuration = configurationWithIdentity("app", std::nullopt, "user");
  sdk.configure(configuration);
  auto first = sdk.sessionId();
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(sdk.services().events.analyticsAPI().sessionId(), first);

  sdk.configure(configuration);
  EXPECT_NE(sdk.sessionId(), first);
  EXPECT_EQ(sdk.services().events.analyticsAPI().sessionId(), sdk.sessionId());
}

TEST_F(StorySDKIdentityTest, UpdateSessionRestartsOnlyWhenTheTrimmedIdentityChanges) {
  sdk.configure(configurationWithIdentity("app", "bundle", "user"));
  auto session = sdk.sessionId();
  sdk.updateSession(std::nullopt, std::nullopt, std::nullopt);  // cannot clear a field
  sdk.updateSession(std::nullopt, std::nullopt, "  user\n");
  EXPECT_EQ(sdk.sessionId(), session);
  EXPECT_EQ(sdk.configuration()->appId(), "app");
  EXPECT_EQ(sdk.configuration()->bundleId(), "bundle");
  EXPECT_EQ(sdk.configuration()->userId(), "  user\n");  // stored as given, compared trimmed

  sdk.updateSession(std::nullopt, "com.bundle", std::nullopt);
  EXPECT_NE(sdk.sessionId(), session);

  // "x||" and "x|x|" differ although the same text appears.
  sdk.configure(configurationWithIdentity("x", std::nullopt, std::nullopt));
  session = sdk.sessionId();
  sdk.updateSession(std::nullopt, "x", std::nullopt);
  EXPECT_NE(sdk.sessionId(), session);
}

TEST_F(StorySDKIdentityTest, PlacementIsViewedOncePerSessionAndNeverForUnknownGroups) {
  EXPECT_FALSE(sdk.markPlacementViewed("unknown"));
  sdk.rememberPlacementKeys({group("g1"), group("g2")}, "home");
  sdk.rememberPlacementKeys({group("g3")}, "feed");
  EXPECT_TRUE(sdk.markPlacementViewed("g1"));
  EXPECT_FALSE(sdk.markPlacementViewed("g1"));
  EXPECT_FALSE(sdk.markPlacementViewed("g2"));  // same placement
  EXPECT_TRUE(sdk.markPlacementViewed("g3"));

  // A new session, by configure or by an identity change, forgets the views but not the placements.
  sdk.configure(configurationWithIdentity(std::nullopt, std::nullopt, "user"));
  EXPECT_TRUE(sdk.markPlacementViewed("g1"));
  sdk.updateSession(std::nullopt, std::nullopt, "someone else");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::storyOpen("g1")), "home");
  EXPECT_TRUE(sdk.markPlacementViewed("g2"));
}

TEST_F(StorySDKIdentityTest, ResolvedIdsPreferTrimmedOverridesThenTheBundleThenTheKeys) {
  sdk.configure(configurationWithIdentity("  com.override \n", " com.bundle ", std::nullopt));
  EXPECT_EQ(sdk.resolvedAppId(), "com.override");
  EXPECT_EQ(sdk.resolvedBundleId(), "com.bundle");
  EXPECT_EQ(sdk.resolvedUserId(), sdk.userId());  // the anonymous id

  sdk.updateSession(std::nullopt, std::nullopt, "  member-7 ");
  EXPECT_EQ(sdk.resolvedUserId(), "member-7");
  sdk.updateSession(std::nullopt, std::nullopt, " ");
  EXPECT_EQ(sdk.resolvedUserId(), sdk.userId());

  sdk.configure(configurationWithIdentity(" \t ", "\u00A0\u3000", std::nullopt));  // blanks only, Unicode too
  EXPECT_EQ(sdk.resolvedAppId(), "com.example.host");
  EXPECT_EQ(sdk.resolvedBundleId(), "com.example.host");

  for (std::optional<std::string> bundle : {std::optional<std::string>("   "), std::optional<std::string>()}) {
    fake.bundle->identifier = bundle;
    EXPECT_EQ(sdk.resolvedAppId(), "app-key");
    EXPECT_EQ(sdk.resolvedBundleId(), std::nullopt);
  }
}

TEST_F(StorySDKIdentityTest, VoteStorageKeyUsesTheResolvedUserAndUntrimmedParts) {
  sdk.configure(StoryConfiguration("sdk-key", " app key ", StoryEnvironment::production, std::nullopt,
                                   std::nullopt, " member "));
  EXPECT_EQ(sdk.voteStorageKey(" item "), "orvane_widget_vote: app key :member: item ");

  sdk.configure(StoryConfiguration("sdk-key", "app"));
  EXPECT_EQ(sdk.voteStorageKey("item"), "orvane_widget_vote:app:" + sdk.userId() + ":item");
}

TEST_F(StorySDKIdentityTest, StoryEventsTakeThePlacementOfTheLatestFetchAndBannerEventsTheirOwn) {
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::storyOpen("g1")), std::nullopt);

  sdk.rememberPlacementKeys({group("g1"), group("g2")}, "home");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::storyOpen("g1")), "home");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::swipeUp("g2", "i1")), "home");

  sdk.rememberPlacementKeys({group("g2"), group("42")}, "feed");
  sdk.rememberPlacementKeys({}, "empty");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::storyClose("g2")), "feed");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::storyClose("g1")), "home");

  EXPECT_EQ(sdk.placementKey(StorySDKEvent::bannerImpression("42", std::nullopt, "top")), "top");
  EXPECT_EQ(sdk.placementKey(StorySDKEvent::bannerClick("42", "7", "top", std::nullopt)), "top");
}

TEST(StorySDKSharedTest, IsOneInstanceOnTheInstalledPlatform) {
  Platform platform;
  platform.mainQueue = std::make_shared<RunLoop>();
  Platform::install(platform);
  EXPECT_EQ(&StorySDK::shared(), &StorySDK::shared());
  EXPECT_EQ(StorySDK::shared().platform().mainQueue, platform.mainQueue);
}

}  // namespace
}  // namespace orvane
