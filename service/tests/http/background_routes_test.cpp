#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/background_threads.h"
#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

Response niceness() {
  Response response;
  response.headers.emplace("Content-Type", "text/plain");
  response.body = std::to_string(currentThreadNiceness());
  return response;
}

TEST(BackgroundRoutes, RunAtALowerPriorityWhileOtherRoutesKeepTheirs) {
  TestServer server;
  server.options.workerThreads = 2;
  server.options.backgroundThreads = 2;
  server.router.add("GET", "/now", "now", {}, [](Request&) { return niceness(); });
  server.router.add("GET", "/later", "later", {.maxBodyBytes = 0, .background = true}, [](Request&) { return niceness(); });
  server.start();

  TestClient client(server.port());
  const int ownNiceness = currentThreadNiceness();
  ASSERT_LT(ownNiceness, 19) << "the tests run at the lowest priority already";
  const auto lower = std::to_string(backgroundNiceness(ownNiceness));
  // Both background threads, whichever takes each request.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(client.get("/later").body(), lower);
  EXPECT_EQ(client.get("/now").body(), std::to_string(ownNiceness));
}

TEST(BackgroundRoutes, EveryRequestHandedToThemIsAnsweredAndHandledOnce) {
  TestServer server;
  server.options.backgroundThreads = 1;
  std::atomic<int> handled{0};
  server.router.add("POST", "/events", "events", {.maxBodyBytes = 64, .background = true}, [&](Request& request) {
    ++handled;
    return Response::json(202, {{"got", request.body}});
  });
  server.start();

  constexpr int kClients = 8, kEach = 40;
  std::atomic<int> accepted{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      TestClient client(server.port());
      for (int i = 0; i < kEach; ++i) {
        const auto body = std::to_string(c) + "-" + std::to_string(i);
        const auto answer = client.post("/events", body);
        if (answer.result_int() == 202 && answer.body().find(body) != std::string::npos) ++accepted;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(accepted.load(), kClients * kEach);
  EXPECT_EQ(handled.load(), kClients * kEach);
}

}  // namespace
}  // namespace orvane::service::http::testing
