// `serve` as an operator runs it: the origin first, then a clean stop on SIGTERM.
#include <httplib.h>
#include <signal.h>

#include <gtest/gtest.h>

#include "../media/temporary_folder.h"
#include "child_process.h"
#include "storage/store.h"

namespace orvane::service::cli {
namespace {

const std::string kProgram = ORVANE_CONTENT_SERVICE_EXECUTABLE;
const std::string kGroup = "0c787a5d-0f85-5d16-b908-e42609841160";  // the sample's first group

// The port the first line names: "Orvane content service on http://127.0.0.1:<port> using ..."; 0 if not.
int announcedPort(const std::string& line) {
  const std::string prefix = "Orvane content service on http://127.0.0.1:";
  if (line.rfind(prefix, 0) != 0) return 0;
  const std::size_t end = line.find(' ', prefix.size());
  const std::string digits = line.substr(prefix.size(), end - prefix.size());
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoi(digits);
}

nlohmann::json serviceEvent(int number) {
  return {{"appKey", "demo-app"},
          {"placementKey", "home"},
          {"eventType", "STORY_OPEN"},
          {"platform", "IOS"},
          {"sessionId", "s-1"},
          {"occurredAt", "2025-06-01T12:00:00Z"},
          {"eventId", "e-" + std::to_string(number)},
          {"storyGroupId", kGroup}};
}

TEST(Serve, PrintsTheOriginFirstAndStoresQueuedEventsWhenTerminated) {
  media::TemporaryFolder folder;
  const std::string database = "sqlite:" + (folder.path() / "content.sqlite").string();
  ChildProcess service({kProgram, "serve", "--port", "0", "--content", ORVANE_SAMPLE_CONTENT_DIR, "--quiet",
                        "--media", (folder.path() / "media").string()},
                       {{"ORVANE_DATABASE", database}, {"ORVANE_ADMIN_TOKEN", "admin-secret"}});
  const auto first = service.readLine();
  ASSERT_TRUE(first) << service.errorOutput();
  const int port = announcedPort(*first);
  ASSERT_NE(port, 0) << *first;

  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5);
  client.set_read_timeout(5);
  const httplib::Headers key{{"X-Zephro-SDK-Key", "demo-sdk-key"}};
  constexpr int kEvents = 25;
  for (int i = 0; i < kEvents; ++i) {
    ASSERT_EQ(client.Post("/sdk/v1/events", key, serviceEvent(i).dump(), "application/json")->status, 202);
  }
  EXPECT_EQ(client.Get("/admin/v1/apps")->status, 401);
  EXPECT_EQ(client.Get("/admin/v1/apps", {{"Authorization", "Bearer admin-secret"}})->status, 200);
  EXPECT_EQ(client.Get("/media/" + std::string(64, 'a'))->status, 404);

  service.signal(SIGTERM);
  EXPECT_EQ(service.wait(), 0) << service.errorOutput();
  auto store = storage::Store::open(database);
  const auto app = store->appByKey("demo-app");
  ASSERT_TRUE(app);
  EXPECT_EQ(store->events(app->id, storage::EventChannel::service, 1000).size(),
            static_cast<std::size_t>(kEvents));
}

TEST(Serve, WithoutAnAdminTokenOnlyConsoleUsersReachTheAdminApi) {
  media::TemporaryFolder folder;
  const std::string database = "sqlite:" + (folder.path() / "content.sqlite").string();
  const auto addUser = [&](const std::string& password) {
    return runToEnd({"/bin/sh", "-c",
                     "printf '%s\\n' \"$1\" | \"$2\" user add alice --role owner --database \"$3\"", "sh", password,
                     kProgram, database});
  };
  const Finished tooShort = addUser("short");
  EXPECT_EQ(tooShort.status, 2);
  EXPECT_NE(tooShort.err.find("at least 12 characters"), std::string::npos) << tooShort.err;
  const Finished added = addUser("a long enough passphrase");
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(runToEnd({kProgram, "user", "list", "--database", database}).out, "alice\towner\n");
  EXPECT_EQ(runToEnd({kProgram, "user", "remove", "alice", "--database", database}).status, 1)
      << "the last owner stays";

  ChildProcess service({kProgram, "--port", "0", "--quiet", "--database", database, "--media",
                        (folder.path() / "media").string()},
                       {{"ORVANE_ADMIN_TOKEN", ""}});
  const auto first = service.readLine();
  ASSERT_TRUE(first) << service.errorOutput();
  const int port = announcedPort(*first);
  ASSERT_NE(port, 0) << *first;
  httplib::Client client("127.0.0.1", port);
  client.set_connection_timeout(5);
  client.set_read_timeout(5);
  EXPECT_EQ(client.Get("/admin/v1/apps", {{"Authorization", "Bearer "}})->status, 401);
  EXPECT_EQ(client.Get("/metrics")->status, 404);
  const auto signedIn = client.Post("/admin/v1/session", R"({"name": "alice", "password": "a long enough passphrase"})",
                                    "application/json");
  ASSERT_TRUE(signedIn);
  EXPECT_EQ(signedIn->status, 200) << signedIn->body;
  const std::string cookie = signedIn->get_header_value("Set-Cookie");
  EXPECT_EQ(client.Get("/admin/v1/apps", {{"Cookie", cookie.substr(0, cookie.find(';'))}})->status, 200);
  service.signal(SIGINT);
  EXPECT_EQ(service.wait(), 0);
}

}  // namespace
}  // namespace orvane::service::cli
