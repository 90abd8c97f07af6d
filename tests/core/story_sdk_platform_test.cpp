#include <gtest/gtest.h>

#include <errno.h>
#include <stdlib.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include <orvane/core/story_sdk.h>
#include <orvane/platform/system_platform.h>
#include "support/fake_platform.h"

namespace orvane {
namespace {

TEST(StorySDKPlatform, RefusesAPlatformWithoutMainQueueInsteadOfCrashingLater) {
  testing::FakePlatform fake;
  auto platform = fake.platform();
  platform.mainQueue = nullptr;
  EXPECT_THROW(StorySDK sdk(platform), std::invalid_argument);
}

TEST(StorySDKPlatform, FillsMissingServicesWithHeadlessDefaults) {
  Platform platform;
  platform.mainQueue = testing::FakePlatform().mainQueue;
  StorySDK sdk(platform);
  EXPECT_TRUE(sdk.platform().http && sdk.platform().store && sdk.platform().clock && sdk.platform().uuid);
}

// A host without a toolkit keeps its cache where the XDG rules put a program's, and may keep none.
TEST(StorySDKPlatform, TheHeadlessCacheFolderFollowsXdgAndMayBeTurnedOff) {
  const char* saved = std::getenv("XDG_CACHE_HOME");
  const std::string previous = saved ? saved : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_CACHE_HOME", "/var/tmp/xdg", 1);
  EXPECT_EQ(withHeadlessDefaults({}).cacheDirectory,
            std::string("/var/tmp/xdg/") + program_invocation_short_name + "/orvane-stories");
  // A relative one is to be ignored, as the XDG rules say.
  ::setenv("XDG_CACHE_HOME", "relative/cache", 1);
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(withHeadlessDefaults({}).cacheDirectory,
            std::string("/home/someone/.cache/") + program_invocation_short_name + "/orvane-stories");
  Platform chosen;
  chosen.cacheDirectory = "";
  EXPECT_EQ(withHeadlessDefaults(chosen).cacheDirectory, "");
  ::setenv("HOME", home.c_str(), 1);
  if (saved) {
    ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CACHE_HOME");
  }
}

}  // namespace
}  // namespace orvane
