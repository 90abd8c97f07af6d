#include <atomic>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "http/background_threads.h"
#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

// Where the handling thread stands: "background", or its nice value.
std::string priority() { return currentThreadIsBackground() ? "background" : std::to_string(currentThreadNiceness()); }

Response priorityAnswer() {
  Response response;
  response.headers.emplace("Content-Type", "text/plain");
  response.body = priority();
  return response;
}

TEST(BackgroundRoutes, RunOnBackgroundThreadsWhileOtherRoutesKeepTheirPriority) {
  TestServer server;
  server.options.workerThreads = 2;
  server.options.backgroundThreads = 2;
  server.router.add("GET", "/now", "now", {}, [](Request&) { return priorityAnswer(); });
  server.router.add("GET", "/later", "later", {.maxBodyBytes = 0, .background = true},
                    [](Request&) { return priorityAnswer(); });
  server.start();

  TestClient client(server.port());
  ASSERT_NE(priority(), "background") << "the tests run as background threads already";
  // Both background threads, whichever takes each request.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(client.get("/later").body(), "background");
  EXPECT_EQ(client.get("/now").body(), priority());
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

// The loop that reads a request answers memory routes itself: its priority says which loop it is.
std::optional<Response> loopPriority(const Request&) { return priorityAnswer(); }

TEST(BackgroundRoutes, AConnectionPostingThemIsReadOnABackgroundLoopUntilItAsksForSomethingElse) {
  TestServer server;
  server.router.add("GET", "/now", "now", {}, [](Request&) { return priorityAnswer(); }, loopPriority);
  server.router.add("POST", "/events", "events", {.maxBodyBytes = 64, .background = true},
                    [](Request& request) { return Response::json(202, {{"got", request.body}}); });
  server.start();
  const auto own = priority();

  TestClient client(server.port());
  EXPECT_EQ(client.get("/now").body(), own);
  EXPECT_EQ(client.post("/events", "a").result_int(), 202);
  // Read on the background loop: answered there, once, and the connection goes back.
  EXPECT_EQ(client.get("/now").body(), "background");
  EXPECT_EQ(client.get("/now").body(), own);

  // Requests sent together cross the move in order, none lost from the bytes already read.
  client.send(
      "POST /events HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\nb"
      "POST /events HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\nc"
      "GET /now HTTP/1.1\r\nHost: x\r\n\r\n"
      "GET /now HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_NE(client.receive().body().find("\"b\""), std::string::npos);
  EXPECT_NE(client.receive().body().find("\"c\""), std::string::npos);
  EXPECT_EQ(client.receive().body(), "background");
  EXPECT_EQ(client.receive().body(), own);
}

TEST(BackgroundRoutes, StoppingWhileConnectionsMoveBetweenLoopsLeavesNoSocketOpen) {
  const auto openDescriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{});
  };
  const auto before = openDescriptors();
  {
    TestServer server;
    server.router.add("POST", "/events", "events", {.maxBodyBytes = 64, .background = true},
                      [](Request&) { return Response::json(202, {}); });
    server.start();
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 16; ++i) {
      clients.push_back(std::make_unique<TestClient>(server.port()));
      EXPECT_EQ(clients.back()->post("/events", "x").result_int(), 202);
    }
    server.server->stop();
    for (auto& client : clients) EXPECT_TRUE(client->connectionEnded());
  }
  EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace orvane::service::http::testing
