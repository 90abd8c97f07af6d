#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk_event.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/stories/story_bar_view_model.h>
#include "../integration/loopback_harness.h"
#include "support/fake_platform.h"
#include "support/temporary_folder.h"

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;

// With nothing listening a placement fails once with a transport error, unless it answered
// before: then its last good answer stands in, and the bar shows what it showed.
TEST(ServiceOutage, NothingListeningFailsOnceWithATransportErrorAndTheBarShowsWhatItShowedBefore) {
  LoopbackHarness harness;
  harness.configure();
  auto good = harness.banners("home_banner");
  ASSERT_TRUE(good.ok()) << errorDescription(good.error());
  auto shown = harness.stories("home");
  ASSERT_TRUE(shown.ok()) << errorDescription(shown.error());
  ASSERT_FALSE(shown.value().empty());
  harness.service.stop();

  int completions = 0;
  std::optional<Result<std::vector<StoryGroup>>> stories;
  harness.api->fetchStories("never-shown", [&](Result<std::vector<StoryGroup>> result) {
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
  EXPECT_EQ(bar->groups(), shown.value());
  EXPECT_FALSE(bar->loadError().has_value());
}

// The case: the bar showed content, the app restarted, and the service is unreachable.
TEST(ServiceOutage, ABarThatShowedContentBeforeARestartShowsItWithTheServiceUnreachable) {
  TemporaryFolder cacheFolder;
  std::vector<StoryGroup> shown;
  {
    StartedContentService service({});
    RealTransportSdk before(service.service.origin(), {}, cacheFolder.string());
    before.configure();
    auto answer = before.stories("home");
    ASSERT_TRUE(answer.ok()) << errorDescription(answer.error());
    shown = answer.value();
    ASSERT_FALSE(shown.empty());
  }
  // A new SDK on the same cache folder, and an origin where nothing listens.
  RealTransportSdk after("http://127.0.0.1:1", {}, cacheFolder.string());
  after.configure();
  StoryImagePipeline pipeline(after.sdk->platform().http, std::make_shared<FakeImageDecoder>(), after.loop,
                              after.sdk->platform().workers);
  auto bar = StoryBarViewModel::create("home", after.sdk->services(), pipeline);
  ASSERT_TRUE(after.loop->runUntil([&] { return !bar->isLoading(); }, 10s));
  EXPECT_EQ(bar->groups(), shown);
  EXPECT_FALSE(bar->loadError().has_value());
}

// Event posts are fire-and-forget: those made while offline fail without piling up, and
// reporting works again as soon as the service is back.
TEST(ServiceOutage, AThousandEventsWhileOfflineThenTheServiceIsBack) {
  LoopbackHarness harness;
  harness.configure();
  auto shown = harness.stories("home");  // the SDK learns the groups' placement
  ASSERT_TRUE(shown.ok());
  const int port = harness.service.port();
  harness.service.stop();

  int delivered = 0;
  harness.sdk->setEventHandler([&](const StorySDKEvent&) { ++delivered; });
  for (int i = 0; i < 1000; ++i) {
    harness.sdk->services().events.report(
        StorySDKEvent::pollViewed(kWelcomeGroup, "item-" + std::to_string(i)), "home");
  }
  EXPECT_EQ(delivered, 1000) << "the host hears of every event, online or not";
  // Queued behind the posts, and still answered (by the last good answer, the service being gone).
  auto offline = harness.stories("home");
  ASSERT_TRUE(offline.ok());
  EXPECT_EQ(offline.value(), shown.value());

  harness.service.start("127.0.0.1", port);
  harness.configure();  // a new session
  harness.sdk->services().events.report(StorySDKEvent::storyOpen(kWelcomeGroup), "home");
  EXPECT_TRUE(harness.waitFor([&] { return countOf(harness.service.events(), "STORY_OPEN") == 1; }));
  EXPECT_TRUE(
      harness.waitFor([&] { return countOf(harness.service.analytics(), "STORY_GROUP_OPENED") == 1; }));
}

}  // namespace
}  // namespace orvane::testing
