#include "core/story_configuration.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvane {
namespace {

TEST(StoryConfigurationTest, LegacyAccessorsFollowTheKeysNotTheIdentityOverrides) {
  StoryConfiguration configuration("sdk-secret", "app-key", StoryEnvironment::staging, "com.other.app");
  EXPECT_EQ(configuration.apiKey(), "sdk-secret");
  EXPECT_EQ(configuration.appId_DEPRECATED(), "app-key");

  configuration.setAppId("changed");
  EXPECT_EQ(configuration.appId_DEPRECATED(), "app-key");
  EXPECT_EQ(configuration.appId(), "changed");
}

TEST(StoryConfigurationTest, StoresIdentityFieldsUntrimmedAndAcceptsEmptyKeys) {
  StoryConfiguration configuration("", "", StoryEnvironment::production, "  app ", std::nullopt, "\tuser\n");
  EXPECT_EQ(configuration.sdkKey(), "");
  EXPECT_EQ(configuration.appId(), "  app ");
  EXPECT_EQ(configuration.bundleId(), std::nullopt);
  EXPECT_EQ(configuration.userId(), "\tuser\n");
  EXPECT_EQ(configuration.uiStrings(), StoryUIStrings::default_());
  EXPECT_FALSE(configuration.isPreviewMode());
}

TEST(StoryConfigurationTest, ACopyHeldByTheHostIsIndependent) {
  StoryConfiguration original("k", "a");
  StoryConfiguration copy = original;
  copy.setUserId("u");
  copy.setIsPreviewMode(true);
  EXPECT_EQ(original.userId(), std::nullopt);
  EXPECT_FALSE(original.isPreviewMode());
  EXPECT_NE(original, copy);
}

TEST(StoryUIStringsTest, DefaultsDistinguishPollHeadingFromPollBadge) {
  const auto& strings = StoryUIStrings::default_();
  EXPECT_EQ(strings.pollTitle(), "Vote");
  EXPECT_EQ(strings.pollBadgeTitle(), "Poll");
  EXPECT_EQ(strings.quizTitle(), "Quiz");
  EXPECT_EQ(strings.quizBadgeTitle(), "Quiz");
  EXPECT_EQ(strings.swipeBadgeTitle(), "Swipe");
  EXPECT_EQ(strings.swipeUpHint(), "Swipe up");
  EXPECT_EQ(strings.voteSingular(), "vote");
  EXPECT_EQ(strings.votePlural(), "votes");
  EXPECT_EQ(strings.answerSingular(), "answer");
  EXPECT_EQ(strings.answerPlural(), "answers");
}

TEST(StoryEnvironmentTest, EnvironmentsShareTheOriginButNotTheName) {
  EXPECT_EQ(baseURL(StoryEnvironment::staging), baseURL(StoryEnvironment::production));
  EXPECT_EQ(baseURL(StoryEnvironment::production).scheme(), "https");
  EXPECT_EQ(serviceName(StoryEnvironment::staging), "STAGING");
  EXPECT_EQ(serviceName(StoryEnvironment::production), "PRODUCTION");
}

TEST(SdkVersionTest, WireConstantsAndExportedSymbols) {
  EXPECT_EQ(SDK_VERSION, "1.0.0");
  EXPECT_EQ(SDK_PLATFORM, "IOS");
  EXPECT_DOUBLE_EQ(OrvaneStoriesVersionNumber, 1.0);
  EXPECT_NE(std::strstr(reinterpret_cast<const char*>(OrvaneStoriesVersionString), "OrvaneStories"), nullptr);
}

}  // namespace
}  // namespace orvane
