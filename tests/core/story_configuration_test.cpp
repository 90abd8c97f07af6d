#include <orvane/core/story_configuration.h>

#include <gtest/gtest.h>

#include <cstring>

namespace orvane {
namespace {

TEST(StoryConfigurationTest, LegacyAccessorsFollowTheKeysNotTheIdentityOverrides) {
  StoryConfiguration configuration("sdk-secret", "app-key", StoryEnvironment::staging, "com.other.app");
  configuration.setAppId("changed");
  EXPECT_EQ(configuration.apiKey(), "sdk-secret");
  EXPECT_EQ(configuration.appId_DEPRECATED(), "app-key");
  EXPECT_EQ(configuration.appId(), "changed");
}

TEST(SdkVersionTest, VersionSymbolsAreExported) {
  EXPECT_DOUBLE_EQ(OrvaneStoriesVersionNumber, 1.0);
  EXPECT_NE(std::strstr(reinterpret_cast<const char*>(OrvaneStoriesVersionString), "OrvaneStories"), nullptr);
}

}  // namespace
}  // namespace orvane
