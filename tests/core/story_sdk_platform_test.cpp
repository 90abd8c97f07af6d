#include <gtest/gtest.h>

#include <stdexcept>

#include <orvane/core/story_sdk.h>
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

}  // namespace
}  // namespace orvane
