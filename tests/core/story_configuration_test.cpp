#include <orvane/core/story_configuration.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <orvane/core/sdk_version.h>

namespace orvane {
namespace {

TEST(StoryConfigurationTest, LegacyAccessorsFollowTheKeysNotTheIdentityOverrides) {
  StoryConfiguration configuration("sdk-secret", "app-key", StoryEnvironment::staging, "com.other.app");
  configuration.setAppId("changed");
  EXPECT_EQ(configuration.apiKey(), "sdk-secret");
  EXPECT_EQ(configuration.appId_DEPRECATED(), "app-key");
  EXPECT_EQ(configuration.appId(), "changed");
}

TEST(SdkVersionTest, TheLibraryAndItsHeadersTellOneVersion) {
  const std::string components = std::to_string(ORVANE_VERSION_MAJOR) + "." + std::to_string(ORVANE_VERSION_MINOR) +
                                 "." + std::to_string(ORVANE_VERSION_PATCH);
  EXPECT_EQ(components, ORVANE_VERSION_STRING);
  EXPECT_EQ(SDK_VERSION, ORVANE_VERSION_STRING);
  EXPECT_DOUBLE_EQ(OrvaneStoriesVersionNumber, ORVANE_VERSION_MAJOR + ORVANE_VERSION_MINOR / 100.0);
  EXPECT_NE(std::strstr(reinterpret_cast<const char*>(OrvaneStoriesVersionString),
                        "OrvaneStories-" ORVANE_VERSION_STRING "\n"),
            nullptr);
  static_assert(ORVANE_VERSION > ORVANE_VERSION_CHECK(0, 99, 99));
  static_assert(ORVANE_VERSION_CHECK(1, 2, 3) < ORVANE_VERSION_CHECK(1, 3, 0));
}

}  // namespace
}  // namespace orvane
