#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/stories/story_bar_view_model.h>
#include "../integration/loopback_harness.h"
#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;

TEST(ServiceOutage, NothingListeningFailsOnceWithATransportErrorAndTheBarStaysEmpty) {
  LoopbackHarness harness;
  harness.configure();
  auto good = harness.banners("home_banner");
  ASSERT_TRUE(good.ok()) << errorDescription(good.error());
  harness.service.stop();

  int completions = 0;
  std::optional<Result<std::vector<StoryGroup>>> stories;
  harness.api->fetchStories("home", [&](Result<std::vector<StoryGroup>> result) {
    ++completions;
    stories.emplace(std::move(result));
  });
  ASSERT_TRUE(harness.loop->runUntil([&] { return stories.has_value(); }, 10s));
  harness.loop->runFor(50ms);
  EXPECT_EQ(completions, 1);
  ASSERT_FALSE(stories->ok());
  EXPECT_EQ(std::get<TransportError>(stories->error()).code, TransportError::Code::connection);

  auto fallback = harness.banners("home_banner");
  ASSERT_TRUE(fallback.ok());
  EXPECT_EQ(fallback.value(), good.value());

  StoryImagePipeline pipeline(harness.sdk->platform().http, std::make_shared<FakeImageDecoder>(),
                              harness.loop, harness.sdk->platform().workers);
  auto bar = StoryBarViewModel::create("home", harness.sdk->services(), pipeline);
  ASSERT_TRUE(harness.loop->runUntil([&] { return !bar->isLoading(); }, 10s));
  EXPECT_TRUE(bar->hasLoaded());
  EXPECT_TRUE(bar->groups().empty());
  EXPECT_FALSE(bar->errorMessage().has_value());
}

// Event posts are fire-and-forget: those made while offline fail without piling up, and
// reporting works again as soon as the service is back.
TEST(ServiceOutage, AThousandEventsWhileOfflineThenTheServiceIsBack) {
  LoopbackHarness harness;
  harness.configure();
  ASSERT_TRUE(harness.stories("home").ok());  // the SDK learns the groups' placement
  const int port = harness.service.port();
  harness.service.stop();

  int delivered = 0;
  harness.sdk->setEventHandler([&](const StorySDKEvent&) { ++delivered; });
  for (int i = 0; i < 1000; ++i) {
    harness.sdk->services().events.report(StorySDKEvent::pollViewed(kWelcomeGroup, "item-" + std::to_string(i)), "home");
  }
  EXPECT_EQ(delivered, 1000) << "the host hears of every event, online or not";
  // Queued behind the posts, and still answered.
  auto offline = harness.stories("home");
  ASSERT_FALSE(offline.ok());
  EXPECT_EQ(std::get<TransportError>(offline.error()).code, TransportError::Code::connection);

  harness.service.start("127.0.0.1", port);
  harness.configure();  // a new session
  harness.sdk->services().events.report(StorySDKEvent::storyOpen(kWelcomeGroup), "home");
  EXPECT_TRUE(harness.waitFor([&] { return countOf(harness.service.events(), "STORY_OPEN") == 1; }));
  EXPECT_TRUE(
      harness.waitFor([&] { return countOf(harness.service.analytics(), "STORY_GROUP_OPENED") == 1; }));
}

}  // namespace
}  // namespace orvane::testing
