#include "admin/admin_api.h"

#include <gtest/gtest.h>

#include <fstream>

#include "../media/temporary_folder.h"
#include "admin/access_policy.h"
#include "content/content_folder.h"
#include "media/media_library.h"
#include "storage/store.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::admin {
namespace {

using nlohmann::json;

constexpr const char* kToken = "correct horse battery staple";
const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(64, '\0');

// The admin routes on a router, called as the server would call them, on each engine.
class AdminApiTest : public test_support::StoreEngineTest {
 protected:
  void SetUp() override {
    StoreEngineTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    store_ = storage::Store::open(databaseUrl());
    media_ = std::make_unique<media::MediaLibrary>(*store_, media::MediaFolder(folder_.path() / "media"),
                                                   mediaLimits());
    AdminOptions options;
    options.appLinkSchemes = {"orvane-demo"};  // the sample content's deep links
    addAdminRoutes(router_, *store_, media_.get(), policy_, options);
  }

  static media::MediaLimits mediaLimits() {
    media::MediaLimits limits;
    limits.maxImageBytes = 1024;
    return limits;
  }

  http::Response call(const std::string& method, const std::string& path, const std::string& body = "",
                      const std::string& authorization = std::string("Bearer ") + kToken) {
    const auto match = router_.match(method, path);
    if (match.route == nullptr) return http::Response::error(match.pathKnown ? 405 : 404, "no route");
    if (body.size() > match.route->limits.maxBodyBytes) return http::Response::error(413, "too large");
    http::Request request;
    request.method = method;
    request.path = path;
    request.body = body;
    request.pathParameters = match.parameters;
    if (!authorization.empty()) request.headers["Authorization"] = authorization;
    return match.route->handler(request);
  }

  static json bodyOf(const http::Response& response) {
    return json::parse(std::get<std::string>(response.body));
  }

  media::TemporaryFolder folder_;
  std::unique_ptr<storage::Store> store_;
  std::unique_ptr<media::MediaLibrary> media_;
  BearerTokenPolicy policy_{kToken};
  http::Router router_;
};

TEST_P(AdminApiTest, AnswersOnlyTheBearerOfTheToken) {
  for (const std::string& authorization :
       {std::string(), std::string("Bearer wrong"), std::string("Basic ") + kToken, std::string("Bearer ")}) {
    for (const auto& [method, path] : {std::pair{"GET", "/admin/v1/apps"},
                                       {"POST", "/admin/v1/apps"},
                                       {"POST", "/admin/v1/media"},
                                       {"GET", "/admin/v1/apps/x/placements"}}) {
      const http::Response answer =
          call(method, path, std::string(method) == "POST" ? "{}" : "", authorization);
      EXPECT_EQ(answer.status, 401) << method << " " << path << " with " << authorization;
      EXPECT_TRUE(bodyOf(answer).contains("error"));
    }
  }
  EXPECT_EQ(call("GET", "/admin/v1/apps", "", std::string("bearer ") + kToken).status, 200);
  EXPECT_THROW(BearerTokenPolicy(""), std::invalid_argument);
}

TEST_P(AdminApiTest, CreatesAppsAndKeysShownOnceThenRevoked) {
  EXPECT_EQ(call("POST", "/admin/v1/apps", R"({"key": "news", "name": "News"})").status, 201);
  EXPECT_EQ(call("POST", "/admin/v1/apps", R"({"key": "news"})").status, 409);
  for (const char* bad : {R"({"key": "../etc"})", R"({"key": ""})", R"({"key": 7})", "[1]", "{not json"}) {
    EXPECT_EQ(call("POST", "/admin/v1/apps", bad).status, 400) << bad;
  }
  EXPECT_EQ(bodyOf(call("GET", "/admin/v1/apps"))["apps"],
            json::parse(R"([{"key": "news", "name": "News"}])"));

  const http::Response created = call("POST", "/admin/v1/apps/news/sdk-keys", R"({"label": "iOS"})");
  ASSERT_EQ(created.status, 201);
  const json key = bodyOf(created);
  const std::string secret = key["key"];
  EXPECT_EQ(secret.rfind("osk_", 0), 0u);
  EXPECT_GE(secret.size(), 40u);
  EXPECT_EQ(store_->appForSdkKey(secret)->key, "news");

  const json listed = bodyOf(call("GET", "/admin/v1/apps/news/sdk-keys"));
  ASSERT_EQ(listed["keys"].size(), 1u);
  EXPECT_EQ(listed["keys"][0]["label"], "iOS");
  EXPECT_FALSE(listed["keys"][0].contains("key"));
  EXPECT_EQ(std::get<std::string>(call("GET", "/admin/v1/apps/news/sdk-keys").body).find(secret),
            std::string::npos);

  const std::string revoke =
      "/admin/v1/apps/news/sdk-keys/" + std::to_string(key["id"].get<std::int64_t>()) + "/revoke";
  EXPECT_EQ(call("POST", revoke).status, 200);
  EXPECT_FALSE(store_->appForSdkKey(secret));
  EXPECT_FALSE(bodyOf(call("GET", "/admin/v1/apps/news/sdk-keys"))["keys"][0]["revokedAt"].is_null());
  EXPECT_EQ(call("POST", "/admin/v1/apps/news/sdk-keys/0/revoke").status, 400);
  EXPECT_EQ(call("POST", "/admin/v1/apps/news/sdk-keys/abc/revoke").status, 400);
  EXPECT_EQ(call("POST", "/admin/v1/apps/news/sdk-keys/999999/revoke").status, 404);
  EXPECT_EQ(call("POST", "/admin/v1/apps/nobody/sdk-keys", "{}").status, 404);
}

TEST_P(AdminApiTest, DraftsArePublishedAndRolledBack) {
  const storage::App app = store_->createApp("demo-app", "Demo");
  const auto sample = content::readContentFolder(ORVANE_SAMPLE_CONTENT_DIR);
  const content::PlacementDocument& stories = sample.front();
  ASSERT_EQ(stories.kind, storage::ContentKind::stories);
  const std::string base = "/admin/v1/apps/demo-app/placements/" + stories.placementKey + "/stories/";

  EXPECT_EQ(call("GET", base + "draft").status, 404);
  EXPECT_EQ(call("PUT", base + "draft", R"({"groups": [{"id": "not-a-uuid"}]})").status, 400);
  EXPECT_EQ(call("PUT", base + "draft", "{").status, 400);
  EXPECT_EQ(call("POST", base + "publish").status, 409);
  EXPECT_EQ(call("PUT", "/admin/v1/apps/demo-app/placements/home/videos/draft", "{}").status, 404);
  EXPECT_EQ(call("PUT", "/admin/v1/apps/demo-app/placements/..%2F/stories/draft", "{}").status, 400);

  json first = stories.document;
  ASSERT_EQ(call("PUT", base + "draft", first.dump()).status, 200);
  EXPECT_EQ(call("GET", base + "published").status, 404);
  const json published1 = bodyOf(call("POST", base + "publish"));
  EXPECT_EQ(bodyOf(call("GET", base + "published"))["document"], first);

  json second = first;
  second["groups"][0]["title"] = "Second edition";
  ASSERT_EQ(call("PUT", base + "draft", second.dump()).status, 200);
  EXPECT_EQ(bodyOf(call("GET", base + "draft"))["document"], second);
  EXPECT_EQ(bodyOf(call("GET", base + "published"))["document"], first);
  EXPECT_EQ(store_
                ->placement(app.id, stories.placementKey, storage::ContentKind::stories,
                            storage::Environment::production)
                ->document,
            first);
  call("POST", base + "publish");
  EXPECT_EQ(bodyOf(call("GET", base + "published"))["document"], second);

  const http::Response rolledBack = call("POST", base + "rollback");
  EXPECT_EQ(rolledBack.status, 200);
  EXPECT_EQ(bodyOf(call("GET", base + "published"))["document"], first);
  const json placements = bodyOf(call("GET", "/admin/v1/apps/demo-app/placements"))["placements"];
  ASSERT_EQ(placements.size(), 1u);
  EXPECT_EQ(placements[0]["key"], stories.placementKey);
  EXPECT_EQ(placements[0]["kind"], "stories");
  (void)published1;
}

TEST_P(AdminApiTest, UploadsAreCheckedByTheirBytesAndCapped) {
  const http::Response png = call("POST", "/admin/v1/media", kPng);
  ASSERT_EQ(png.status, 201);
  const json record = bodyOf(png);
  EXPECT_EQ(record["contentType"], "image/png");
  EXPECT_EQ(record["url"], "/media/" + record["sha256"].get<std::string>() + ".png");
  EXPECT_EQ(bodyOf(call("GET", "/admin/v1/media/" + record["sha256"].get<std::string>()))["size"],
            kPng.size());

  const http::Response playlist = call("POST", "/admin/v1/media", "#EXTM3U\n#EXTINF:4,\nhttp://x/a.ts\n");
  EXPECT_EQ(playlist.status, 415);
  EXPECT_NE(bodyOf(playlist)["error"].get<std::string>().find("HLS"), std::string::npos);
  EXPECT_EQ(call("POST", "/admin/v1/media", kPng + std::string(2000, '\0')).status, 413);
  EXPECT_EQ(call("GET", "/admin/v1/media/../../etc/passwd").status, 404);
  EXPECT_EQ(call("GET", "/admin/v1/media/ABC").status, 400);
}

INSTANTIATE_TEST_SUITE_P(Engines, AdminApiTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::admin
