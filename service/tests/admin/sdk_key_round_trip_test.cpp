// Keys made and revoked through the admin API, as the SDK's routes see them.
#include <httplib.h>

#include <gtest/gtest.h>

#include "../media/temporary_folder.h"
#include "admin/access_policy.h"
#include "admin/admin_api.h"
#include "app/content_service.h"

namespace orvane::service::admin {
namespace {

using nlohmann::json;

constexpr const char* kToken = "admin-token-for-tests";

TEST(SdkKeyRoundTrip, AKeyMadeThroughTheAdminApiOpensTheSdkRoutesUntilRevoked) {
  media::TemporaryFolder folder;
  app::ContentServiceOptions options;
  options.databaseUrl = "sqlite:" + (folder.path() / "content.sqlite").string();
  options.seed = content::ContentSeed{ORVANE_SAMPLE_CONTENT_DIR};
  options.adminToken = kToken;
  app::ContentService service(options);
  const BearerTokenPolicy policy(kToken);
  service.addRoutes(
      [&](http::Router& router) { addAdminRoutes(router, service.store(), nullptr, policy, {}); });
  service.start("127.0.0.1", 0);

  httplib::Client client("127.0.0.1", service.port());
  client.set_connection_timeout(5);
  client.set_read_timeout(5);
  const httplib::Headers admin{{"Authorization", std::string("Bearer ") + kToken}};
  const std::string stories = "/sdk/v1/apps/demo-app/placements/home/stories";

  EXPECT_EQ(client.Get("/admin/v1/apps")->status, 401);
  EXPECT_EQ(client.Get("/admin/v1/apps", {{"Authorization", "Bearer nope"}})->status, 401);
  auto created =
      client.Post("/admin/v1/apps/demo-app/sdk-keys", admin, R"({"label": "Android"})", "application/json");
  ASSERT_EQ(created->status, 201) << created->body;
  const json key = json::parse(created->body);
  const httplib::Headers sdk{{"X-Zephro-SDK-Key", key["key"].get<std::string>()}};

  EXPECT_EQ(client.Get(stories, sdk)->status, 200);
  const std::string revoke =
      "/admin/v1/apps/demo-app/sdk-keys/" + std::to_string(key["id"].get<std::int64_t>()) + "/revoke";
  EXPECT_EQ(client.Post(revoke, admin, "", "application/json")->status, 200);
  EXPECT_EQ(client.Get(stories, sdk)->status, 401);
  EXPECT_EQ(client.Get(stories, {{"X-Zephro-SDK-Key", "demo-sdk-key"}})->status, 200)
      << "other keys stay live";
  service.flushAndStop();
}

}  // namespace
}  // namespace orvane::service::admin
