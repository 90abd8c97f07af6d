#include <gtest/gtest.h>

#include "local_content_service.h"
#include "service_harness.h"

namespace orvane::service::app::testing {
namespace {

using nlohmann::json;

TEST(LocalContentService, AVoteIsStillThereAfterARestartOnTheSameDatabaseAndTheSeedIsNotLoadedAgain) {
  ScratchFolder folder;
  LocalContentServiceOptions options;
  options.databaseUrl = "sqlite:" + (folder.path() / "demo.sqlite").string();
  {
    LocalContentService service(ORVANE_SAMPLE_CONTENT_DIR, options);
    service.start();
    httplib::Client client("127.0.0.1", service.port());
    auto answer = client.Post(kVotePath, {{"X-Zephro-SDK-Key", kKey}, {"X-Zephro-UserId", "demo-user"}},
                              json{{"optionId", kBannersOption}}.dump(), "application/json");
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 200) << answer->body;
    EXPECT_EQ(service.voteCount(kBannersOption), 18);
  }
  LocalContentService restarted(ORVANE_SAMPLE_CONTENT_DIR, options);
  EXPECT_EQ(restarted.userVote("demo-user", kPollItem), kBannersOption);
  EXPECT_EQ(restarted.voteCount(kBannersOption), 18) << "the seed did not reset the counts";
  restarted.start();
  httplib::Client client("127.0.0.1", restarted.port());
  auto stories = client.Get(kStories, {{"X-Zephro-SDK-Key", kKey}, {"X-Zephro-UserId", "demo-user"}});
  ASSERT_TRUE(stories);
  EXPECT_NE(stories->body.find("\"userVote\""), std::string::npos);
}

TEST(LocalContentService, ReadsBackEventsGoesDownAndHoldsMediaBackOnRequest) {
  LocalContentService service(ORVANE_SAMPLE_CONTENT_DIR);
  service.start();
  httplib::Client client("127.0.0.1", service.port());
  client.set_read_timeout(10);
  const json record{{"placementKey", "home"}, {"eventType", "STORY_GROUP_OPENED"}, {"devicePlatform", "IOS"},
                    {"occurredAt", "2025-06-01T12:00:00Z"}};
  ASSERT_EQ(client.Post("/sdk/v1/apps/demo-app/events", {{"X-Zephro-SDK-Key", kKey}}, record.dump(), "application/json")
                ->status,
            202);
  EXPECT_EQ(service.analytics(), std::vector<json>{record});
  EXPECT_TRUE(service.events().empty());

  service.setUnavailable(true);
  EXPECT_EQ(client.Get(kStories, {{"X-Zephro-SDK-Key", kKey}})->status, 503);
  EXPECT_EQ(client.Get("/images/a.png")->status, 503);
  service.setUnavailable(false);
  EXPECT_EQ(client.Get(kStories, {{"X-Zephro-SDK-Key", kKey}})->status, 200);

  // A held image is let go when the service stops: stopping never waits out the delay.
  service.setMediaDelay(std::chrono::milliseconds(30'000));
  std::thread waiting([&] { client.Get("/images/b.png?w=4&h=4"); });
  service.stop();
  waiting.join();

  // Stopped and started again on the same port, as a restarted deployment.
  const int port = service.port();
  service.setMediaDelay(std::chrono::milliseconds(0));
  EXPECT_EQ(service.start("127.0.0.1", port), port);
  EXPECT_EQ(client.Get("/images/b.png?w=4&h=4")->status, 200);
}

}  // namespace
}  // namespace orvane::service::app::testing
