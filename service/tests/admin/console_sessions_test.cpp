// Sign-in, sessions, CSRF tokens, roles, throttling and the audit log over real HTTP.
#include <gtest/gtest.h>

#include "console_harness.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::admin {
namespace {

using nlohmann::json;
using storage::Role;

class ConsoleSessionTest : public test_support::StoreEngineTest {
 protected:
  void SetUp() override {
    StoreEngineTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    server_ = std::make_unique<ConsoleServer>(databaseUrl());
    server_->addUser("alice", Role::owner);
  }

  int status(const std::string& method, const std::string& path, const Browser* browser,
             const std::string& body = "", bool withCsrf = true) {
    auto answer = server_->send(method, path, browser, body, withCsrf);
    return answer ? answer->status : -1;
  }

  json body(const std::string& path, const Browser* browser) {
    auto answer = server_->send("GET", path, browser);
    return answer ? json::parse(answer->body, nullptr, false) : json();
  }

  int signInStatus(const std::string& name, const std::string& password, std::string* retryAfter = nullptr) {
    auto answer = server_->client().Post("/admin/v1/session", json{{"name", name}, {"password", password}}.dump(),
                                         "application/json");
    if (!answer) return -1;
    if (retryAfter != nullptr) *retryAfter = answer->get_header_value("Retry-After");
    return answer->status;
  }

  std::unique_ptr<ConsoleServer> server_;
};

TEST_P(ConsoleSessionTest, SignInGivesAStrictHttpOnlyCookieAndSignOutEndsTheSession) {
  auto answer = server_->client().Post("/admin/v1/session", R"({"name": "alice", "password": "correct horse battery staple"})",
                                       "application/json");
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->status, 200) << answer->body;
  const std::string cookie = answer->get_header_value("Set-Cookie");
  for (const char* attribute : {"orvane_session=", "; HttpOnly", "; SameSite=Strict", "; Path=/"})
    EXPECT_NE(cookie.find(attribute), std::string::npos) << cookie;
  EXPECT_EQ(cookie.find("Secure"), std::string::npos) << "plain HTTP cannot keep a Secure cookie";
  const json signedIn = json::parse(answer->body);
  EXPECT_EQ(signedIn["user"], json({{"name", "alice"}, {"role", "owner"}}));
  EXPECT_TRUE(signedIn["can"]["manageUsers"].get<bool>());

  const Browser browser{cookie.substr(0, cookie.find(';')), signedIn["csrfToken"].get<std::string>()};
  EXPECT_EQ(body("/admin/v1/session", &browser)["csrfToken"], browser.csrf);
  EXPECT_EQ(status("DELETE", "/admin/v1/session", &browser, "", false), 403);
  auto signOut = server_->send("DELETE", "/admin/v1/session", &browser);
  ASSERT_TRUE(signOut);
  EXPECT_EQ(signOut->status, 200);
  EXPECT_NE(signOut->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
  EXPECT_EQ(status("GET", "/admin/v1/session", &browser), 401);
  EXPECT_EQ(status("POST", "/admin/v1/apps", &browser, R"({"key": "late"})"), 401);

  EXPECT_EQ(signInStatus("alice", "wrong password here"), 401);
  EXPECT_EQ(signInStatus("nobody", "wrong password here"), 401);
  EXPECT_EQ(server_->client().Post("/admin/v1/session", "[]", "application/json")->status, 400);
  EXPECT_EQ(status("GET", "/admin/v1/apps", nullptr), 401);
}

TEST_P(ConsoleSessionTest, WritesWithTheCookieNeedThatSessionsCsrfToken) {
  const Browser alice = server_->signIn("alice");
  const Browser other = server_->signIn("alice");
  ASSERT_NE(alice.csrf, other.csrf);
  const std::string app = R"({"key": "news"})";
  EXPECT_EQ(status("POST", "/admin/v1/apps", &alice, app, false), 403);
  const Browser forged{alice.cookie, other.csrf};
  EXPECT_EQ(status("POST", "/admin/v1/apps", &forged, app), 403);
  const Browser empty{alice.cookie, ""};
  EXPECT_EQ(status("POST", "/admin/v1/apps", &empty, app), 403);
  EXPECT_EQ(status("GET", "/admin/v1/apps", &alice, "", false), 200) << "reads need no token";
  EXPECT_EQ(status("POST", "/admin/v1/apps", &alice, app), 201);

  // Automation keeps its bearer token, which no browser sends by itself.
  auto automated = server_->send("POST", "/admin/v1/apps", nullptr, R"({"key": "sport"})", false,
                                 {{"Authorization", std::string("Bearer ") + testAdminToken}});
  ASSERT_TRUE(automated);
  EXPECT_EQ(automated->status, 201);
}

TEST_P(ConsoleSessionTest, EachRoleMayMakeOnlyItsOwnChanges) {
  server_->addUser("edith", Role::editor);
  server_->addUser("victor", Role::viewer);
  const httplib::Headers bearer{{"Authorization", std::string("Bearer ") + testAdminToken}};
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(64, '\0');

  enum class Family { apps, content, users, audit };
  struct Route {
    const char* method;
    std::string path;
    std::string body;
    Family family;
  };
  const auto routes = [&](const std::string& tag) {
    const std::string placement = "/admin/v1/apps/demo-app/placements/home/stories/";
    return std::vector<Route>{
        {"POST", "/admin/v1/apps", json{{"key", "app-" + tag}}.dump(), Family::apps},
        {"POST", "/admin/v1/apps/demo-app/sdk-keys", R"({"label": "x"})", Family::apps},
        {"POST", "/admin/v1/apps/demo-app/sdk-keys/1/revoke", "", Family::apps},
        {"POST", "/admin/v1/apps/demo-app/placements", json{{"key", "p-" + tag}, {"kind", "stories"}}.dump(),
         Family::content},
        {"DELETE", "/admin/v1/apps/demo-app/placements/p-" + tag + "/stories", "", Family::content},
        {"PUT", placement + "draft", R"({"groups": []})", Family::content},
        {"POST", placement + "publish", "", Family::content},
        {"POST", placement + "rollback", "", Family::content},
        {"POST", "/admin/v1/media", png, Family::content},
        {"POST", "/admin/v1/users", json{{"name", "u-" + tag}, {"role", "viewer"}, {"password", testPassword}}.dump(),
         Family::users},
        {"PATCH", "/admin/v1/users/u-" + tag, R"({"role": "editor"})", Family::users},
        {"DELETE", "/admin/v1/users/u-" + tag, "", Family::users},
        {"GET", "/admin/v1/users", "", Family::users},
        {"GET", "/admin/v1/audit", "", Family::audit},
    };
  };
  const auto allowed = [](Role role, Family family) {
    if (role == Role::owner) return true;
    return role == Role::editor && family == Family::content;
  };
  for (auto [name, role] : {std::pair{"victor", Role::viewer}, {"edith", Role::editor}, {"alice", Role::owner}}) {
    const Browser browser = server_->signIn(name);
    for (const Route& route : routes(name)) {
      // What the role may not do stays undone: the same request then succeeds for the admin token.
      const int got = status(route.method, route.path, &browser, route.body);
      if (allowed(role, route.family)) {
        EXPECT_TRUE(got != 401 && got != 403 && got < 500) << name << " " << route.method << " " << route.path << ": " << got;
      } else {
        EXPECT_EQ(got, 403) << name << " " << route.method << " " << route.path;
      }
    }
    EXPECT_EQ(status("GET", "/admin/v1/apps/demo-app/analytics?from=2026-01-01&to=2026-01-02", &browser), 200);
    EXPECT_EQ(status("GET", "/admin/v1/apps/demo-app/placements/home/stories/draft", &browser), 200);
  }
  EXPECT_EQ(server_->service().store().console()->userNamed("u-victor"), std::nullopt)
      << "a viewer's refused request changed nothing";
}

TEST_P(ConsoleSessionTest, FailedSignInsWaitLongerAndLongerWithoutHoldingAThread) {
  for (int attempt = 1; attempt <= 4; ++attempt) EXPECT_EQ(signInStatus("alice", "guess number one"), 401);
  std::string retryAfter;
  EXPECT_EQ(signInStatus("alice", testPassword, &retryAfter), 429) << "even the right password waits";
  EXPECT_EQ(retryAfter, "1");
  server_->advance(std::chrono::seconds(1));
  EXPECT_EQ(signInStatus("alice", "guess number five"), 401);
  EXPECT_EQ(signInStatus("alice", "guess number six", &retryAfter), 429);
  EXPECT_EQ(retryAfter, "2");
  EXPECT_EQ(status("GET", "/admin/v1/apps", nullptr), 401) << "other requests are answered meanwhile";
  server_->advance(std::chrono::seconds(2));
  EXPECT_EQ(signInStatus("alice", testPassword), 200);
  EXPECT_EQ(signInStatus("alice", "one more wrong guess"), 401) << "a success starts the account afresh";

  // Guessing across many names from one address is slowed as well: its six failures so far and
  // five more reach the address's eleventh.
  for (int name = 0; name < 5; ++name) EXPECT_EQ(signInStatus("user" + std::to_string(name), "nope nope nope"), 401);
  EXPECT_EQ(signInStatus("someone-else", "nope nope nope", &retryAfter), 429);
  EXPECT_FALSE(retryAfter.empty());
}

TEST_P(ConsoleSessionTest, SessionsExpireAndEndWhenTheirRightsChange) {
  server_->addUser("bob", Role::editor);
  const Browser alice = server_->signIn("alice");
  Browser bob = server_->signIn("bob");
  EXPECT_EQ(status("PATCH", "/admin/v1/users/bob", &alice, R"({"role": "viewer"})"), 200);
  EXPECT_EQ(status("GET", "/admin/v1/session", &bob), 401);
  bob = server_->signIn("bob");
  EXPECT_EQ(body("/admin/v1/session", &bob)["user"]["role"], "viewer");

  EXPECT_EQ(status("PUT", "/admin/v1/session/password", &bob, R"({"current": "not it at all", "new": "another long one"})"),
            401);
  EXPECT_EQ(status("PUT", "/admin/v1/session/password", &bob, json{{"current", testPassword}, {"new", "short"}}.dump()),
            400);
  const Browser bobElsewhere = server_->signIn("bob");
  EXPECT_EQ(status("PUT", "/admin/v1/session/password", &bob,
                   json{{"current", testPassword}, {"new", "a brand new passphrase"}}.dump()),
            200);
  EXPECT_EQ(status("GET", "/admin/v1/session", &bob), 200) << "the session that changed it stays";
  EXPECT_EQ(status("GET", "/admin/v1/session", &bobElsewhere), 401);

  server_->advance(std::chrono::hours(12) + std::chrono::seconds(1));
  EXPECT_EQ(status("GET", "/admin/v1/session", &alice), 401);
  EXPECT_EQ(status("GET", "/admin/v1/apps", &bob), 401);
}

TEST_P(ConsoleSessionTest, OwnersManageUsersButNeverRemoveTheLastOwner) {
  const Browser alice = server_->signIn("alice");
  const auto create = [&](const json& user) { return status("POST", "/admin/v1/users", &alice, user.dump()); };
  EXPECT_EQ(create({{"name", "bob"}, {"role", "editor"}, {"password", "too short"}}), 400);
  EXPECT_EQ(create({{"name", "bob smith"}, {"role", "editor"}, {"password", testPassword}}), 400);
  EXPECT_EQ(create({{"name", "bob"}, {"role", "boss"}, {"password", testPassword}}), 400);
  EXPECT_EQ(create({{"name", "bob"}, {"role", "editor"}, {"password", testPassword}}), 201);
  EXPECT_EQ(create({{"name", "bob"}, {"role", "viewer"}, {"password", testPassword}}), 409);
  const json users = body("/admin/v1/users", &alice)["users"];
  ASSERT_EQ(users.size(), 2u);
  EXPECT_FALSE(users.dump().find("argon2") != std::string::npos) << "no password hash leaves the service";

  EXPECT_EQ(status("PATCH", "/admin/v1/users/alice", &alice, R"({"role": "editor"})"), 409);
  EXPECT_EQ(status("DELETE", "/admin/v1/users/alice", &alice), 409);
  EXPECT_EQ(status("DELETE", "/admin/v1/users/nobody", &alice), 404);
  EXPECT_EQ(status("DELETE", "/admin/v1/users/bob", &alice), 200);
  EXPECT_EQ(signInStatus("bob", testPassword), 401);
}

TEST_P(ConsoleSessionTest, TheAuditLogSaysWhoChangedWhatAndPages) {
  const Browser alice = server_->signIn("alice");
  ASSERT_EQ(status("POST", "/admin/v1/apps/demo-app/sdk-keys", &alice, R"({"label": "iOS"})"), 201);
  ASSERT_EQ(status("POST", "/admin/v1/apps/demo-app/placements", &alice, R"({"key": "promo", "kind": "stories"})"), 201);
  ASSERT_EQ(status("POST", "/admin/v1/apps/demo-app/placements/promo/stories/publish", &alice), 200);
  ASSERT_EQ(server_->send("POST", "/admin/v1/apps", nullptr, R"({"key": "robot"})", false,
                          {{"Authorization", std::string("Bearer ") + testAdminToken}})->status,
            201);
  EXPECT_EQ(signInStatus("alice", "not the password"), 401);

  json page = body("/admin/v1/audit?limit=3", &alice);
  ASSERT_EQ(page["entries"].size(), 3u);
  std::vector<std::string> actions;
  for (;;) {
    for (const json& entry : page["entries"]) actions.push_back(entry["actor"].get<std::string>() + " " +
                                                                entry["action"].get<std::string>() + " " +
                                                                entry["target"].get<std::string>());
    if (page["nextBefore"].is_null()) break;
    page = body("/admin/v1/audit?limit=3&before=" + std::to_string(page["nextBefore"].get<std::int64_t>()), &alice);
  }
  EXPECT_EQ(actions, (std::vector<std::string>{
                         "alice session.sign_in_failed alice",
                         "admin-token app.create robot",
                         "alice placement.publish demo-app/promo/stories",
                         "alice placement.create demo-app/promo/stories",
                         "alice sdk_key.create demo-app",
                         "alice session.sign_in alice",
                     }));
  const json newest = body("/admin/v1/audit?limit=200", &alice)["entries"];
  for (const json& entry : newest) {
    EXPECT_EQ(entry["address"], "127.0.0.1");
    if (entry["action"] == "sdk_key.create") {
      EXPECT_FALSE(entry["detail"].contains("key")) << entry.dump();
    }
    if (entry["action"] == "placement.publish") {
      EXPECT_EQ(entry["detail"]["publishedVersion"], 1);
    }
  }
  EXPECT_EQ(status("GET", "/admin/v1/audit?limit=0", &alice), 400);
}

INSTANTIATE_TEST_SUITE_P(Engines, ConsoleSessionTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::admin
