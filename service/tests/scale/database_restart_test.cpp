#include <httplib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <nlohmann/json.hpp>

#include "admin/access_policy.h"
#include "admin/admin_api.h"
#include "app/content_service.h"
#include "support/throwaway_postgres.h"

namespace orvane::service {
namespace {

using namespace std::chrono_literals;

const std::string kVotePath = "/sdk/v1/apps/demo-app/story-items/2a3f1c49-6b5b-5013-a748-3b0b4b8d176d/vote";
const std::string kOption = "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1";
const std::string kStoriesPath = "/sdk/v1/apps/demo-app/placements/home/stories";
const httplib::Headers kSdk{{"X-Zephro-SDK-Key", "demo-sdk-key"}};
const httplib::Headers kAdmin{{"Authorization", "Bearer admin-token"}};

std::string serviceEvent(int number) {
  return nlohmann::json{{"appKey", "demo-app"},
                        {"placementKey", "home"},
                        {"eventType", "STORY_OPEN"},
                        {"storyGroupId", "0c787a5d-0f85-5d16-b908-e42609841160"},
                        {"sessionId", "5B0C8F4E-1D2A-4C3B-9E8F-7A6B5C4D3E2F"},
                        {"platform", "IOS"},
                        {"occurredAt", "2025-06-01T12:00:00Z"},
                        {"eventId", "8A1B2C3D-4E5F-4A6B-8C7D-" + std::to_string(100000000000 + number)}}
      .dump();
}

// One instance of the service on the throwaway cluster, with its admin API, as `serve` runs it.
class Instance {
 public:
  explicit Instance(const std::string& databaseUrl) : policy_("admin-token") {
    app::ContentServiceOptions options;
    options.databaseUrl = databaseUrl;
    options.seed = content::ContentSeed{ORVANE_SAMPLE_CONTENT_DIR};
    options.adminToken = "admin-token";
    options.eventQueue.retryPause = 20ms;
    service_ = std::make_unique<app::ContentService>(options);
    service_->addRoutes([&](http::Router& router) {
      admin::addAdminRoutes(router, service_->store(), nullptr, policy_, {});
    });
    service_->start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->port());
    client_->set_read_timeout(10);
  }

  app::ContentService& service() { return *service_; }

  int port() { return service_->port(); }
  int vote(const std::string& user) { return status(voteThrough(*client_, user)); }
  static httplib::Result voteThrough(httplib::Client& client, const std::string& user) {
    httplib::Headers headers = kSdk;
    headers.emplace("X-Zephro-UserId", user);
    return client.Post(kVotePath, headers, nlohmann::json{{"optionId", kOption}}.dump(), "application/json");
  }
  int createApp(const std::string& key) {
    return status(client_->Post("/admin/v1/apps", kAdmin, nlohmann::json{{"key", key}, {"name", key}}.dump(),
                                "application/json"));
  }
  int postEvent(int number) {
    return status(client_->Post("/sdk/v1/events", kSdk, serviceEvent(number), "application/json"));
  }
  int stories() { return status(client_->Get(kStoriesPath, kSdk)); }
  int ready() { return status(client_->Get("/readyz")); }
  // The body of the last answer, to check that refusals are JSON.
  const std::string& lastBody() const { return lastBody_; }

 private:
  int status(const httplib::Result& result) {
    if (!result) return 0;
    lastBody_ = result->body;
    return result->status;
  }

  admin::BearerTokenPolicy policy_;
  std::unique_ptr<app::ContentService> service_;
  std::unique_ptr<httplib::Client> client_;
  std::string lastBody_;
};

TEST(DatabaseRestart, WritesAnswer503WhileItIsDownAndTheInstanceRecoversWithoutARestart) {
  auto& cluster = test_support::ThrowawayPostgres::instance();
  const auto url = test_support::freshDatabaseUrl(test_support::StoreEngine::postgresql);
  if (!url) {
    if (!cluster.binariesFound()) GTEST_SKIP() << cluster.unavailableReason();
    FAIL() << cluster.unavailableReason();
  }
  Instance instance(*url);
  // Every pooled connection in use once, so that each is cut by the restart.
  std::vector<std::thread> warmers;
  for (int i = 0; i < 8; ++i) {
    warmers.emplace_back([port = instance.port(), i] {
      httplib::Client client("127.0.0.1", port);
      Instance::voteThrough(client, "warm-" + std::to_string(i));
    });
  }
  for (auto& warmer : warmers) warmer.join();
  ASSERT_EQ(instance.vote("before"), 200);
  ASSERT_EQ(instance.ready(), 200);

  cluster.stopServer();
  EXPECT_EQ(instance.vote("while-down"), 503);
  EXPECT_TRUE(nlohmann::json::parse(instance.lastBody(), nullptr, false).contains("error"))
      << instance.lastBody();
  EXPECT_EQ(instance.createApp("while-down"), 503);
  EXPECT_TRUE(nlohmann::json::parse(instance.lastBody(), nullptr, false).contains("error"))
      << instance.lastBody();
  EXPECT_EQ(instance.ready(), 503);
  // An event needs its key checked, which needs the database unless the key is known already;
  // whatever was answered 202 is kept in the queue until the database is back.
  std::size_t accepted = 0;
  for (int i = 0; i < 5; ++i) {
    const int status = instance.postEvent(i);
    EXPECT_TRUE(status == 202 || status == 503) << status;
    accepted += status == 202;
  }
  const auto appId = instance.service().seededAppId();
  for (int i = 0; i < 5; ++i) {
    storage::StoredEvent queued;
    queued.appId = appId;
    queued.receivedAt = std::chrono::system_clock::now();
    queued.eventType = "STORY_OPEN";
    queued.body = serviceEvent(100 + i);
    ASSERT_TRUE(instance.service().eventQueue().push(queued));
  }
  const int storiesWhileDown = instance.stories();
  EXPECT_TRUE(storiesWhileDown == 200 || storiesWhileDown == 503) << storiesWhileDown;

  cluster.startServer();
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (instance.ready() != 200 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_EQ(instance.ready(), 200);
  // Connections the stop cut are opened again as they are used: no request fails for them.
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(instance.vote("after-" + std::to_string(i)), 200) << instance.lastBody();
  EXPECT_EQ(instance.createApp("after"), 201) << instance.lastBody();
  EXPECT_EQ(instance.stories(), 200);

  instance.service().eventQueue().flush();
  EXPECT_EQ(instance.service().eventQueue().lost(), 0u);
  EXPECT_EQ(instance.service().store().events(appId, storage::EventChannel::service, 100).size(),
            5 + accepted);
}

}  // namespace
}  // namespace orvane::service
