#include <atomic>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

nlohmann::json bodyOf(const TestResponse& response) { return nlohmann::json::parse(response.body()); }

class ServerRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.router.add("GET", "/apps/{}/placements/{}", "placement", {}, [](Request& request) {
      return Response::json(200, {{"app", request.pathParameters.at(0)},
                                  {"placement", request.pathParameters.at(1)},
                                  {"path", request.path},
                                  {"environment", request.queryValue("environment")},
                                  {"key", request.header("x-sdk-key")},
                                  {"client", request.clientAddress}});
    });
    server_.router.add("POST", "/echo", "echo", {1024}, [](Request& request) {
      Response response;
      response.headers.emplace("Content-Type", "text/plain");
      response.body = request.body;
      return response;
    });
    server_.router.add("PUT", "/echo", "echo-put", {1024}, [](Request&) { return Response::json(204, nullptr); });
    server_.router.add("GET", "/fails", "fails", {}, [](Request&) -> Response { throw std::runtime_error("secret"); });
    server_.options.accessLog = [this](const AccessRecord& record) {
      std::lock_guard lock(logMutex_);
      log_.push_back(record);
    };
    server_.start();
  }

  std::vector<AccessRecord> accessLog() {
    std::lock_guard lock(logMutex_);
    return log_;
  }

  // Declared before the server, which logs into them until it is destroyed.
  std::mutex logMutex_;
  std::vector<AccessRecord> log_;
  TestServer server_;
};

TEST_F(ServerRouting, AnswersRoutesWithDecodedParametersQueryAndHeadersOnOneKeptAliveConnection) {
  TestClient client(server_.port());
  auto first = client.get("/apps/demo%2Fapp/placements/home?environment=STAGING", "X-SDK-Key: k1\r\n");
  EXPECT_EQ(first.result_int(), 200);
  EXPECT_EQ(first[boost::beast::http::field::content_type], "application/json");
  auto body = bodyOf(first);
  EXPECT_EQ(body["app"], "demo/app");
  EXPECT_EQ(body["placement"], "home");
  EXPECT_EQ(body["environment"], "STAGING");
  EXPECT_EQ(body["key"], "k1");
  EXPECT_EQ(body["client"], "127.0.0.1");

  auto echoed = client.post("/echo", "hello");
  EXPECT_EQ(echoed.result_int(), 200);
  EXPECT_EQ(echoed.body(), "hello");
  EXPECT_TRUE(echoed.keep_alive());
}

TEST_F(ServerRouting, AnswersPipelinedRequestsInOrder) {
  TestClient client(server_.port());
  client.send(
      "POST /echo HTTP/1.1\r\nHost: t\r\nContent-Length: 3\r\n\r\none"
      "GET /apps/a/placements/b HTTP/1.1\r\nHost: t\r\n\r\n"
      "POST /echo HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n3\r\ntwo\r\n0\r\n\r\n");
  EXPECT_EQ(client.receive().body(), "one");
  EXPECT_EQ(bodyOf(client.receive())["app"], "a");
  EXPECT_EQ(client.receive().body(), "two");
}

TEST_F(ServerRouting, UnknownPathsAre404AndWrongMethods405WithAllowAllAsJson) {
  TestClient client(server_.port());
  auto missing = client.get("/nothing/here");
  EXPECT_EQ(missing.result_int(), 404);
  EXPECT_EQ(bodyOf(missing)["error"], "not found");

  auto wrongMethod = client.get("/echo");
  EXPECT_EQ(wrongMethod.result_int(), 405);
  EXPECT_EQ(wrongMethod[boost::beast::http::field::allow], "POST, PUT");
  EXPECT_TRUE(bodyOf(wrongMethod).contains("error"));

  auto failing = client.get("/fails");
  EXPECT_EQ(failing.result_int(), 500);
  EXPECT_EQ(failing.body().find("secret"), std::string::npos);

  // A body sent to no route is not read: the answer comes and the connection closes.
  auto refused = client.post("/nothing", "abc");
  EXPECT_EQ(refused.result_int(), 404);
  EXPECT_FALSE(refused.keep_alive());
}

TEST_F(ServerRouting, HeadAnswersAGetRouteWithHeadersOnly) {
  TestClient client(server_.port());
  client.send("HEAD /apps/a/placements/b HTTP/1.1\r\nHost: t\r\n\r\n");
  auto head = client.receive(true);
  EXPECT_EQ(head.result_int(), 200);
  EXPECT_GT(std::stoul(std::string(head[boost::beast::http::field::content_length])), 0u);
  EXPECT_TRUE(head.body().empty());
  // The connection is still in step: the next answer is the next request's.
  EXPECT_EQ(client.post("/echo", "after").body(), "after");
}

TEST_F(ServerRouting, RefusesMalformedRequestsAndUnsafeTargetsWith400) {
  for (std::string request : {"GET /a/../b HTTP/1.1\r\nHost: t\r\n\r\n", "GET /a%00 HTTP/1.1\r\nHost: t\r\n\r\n",
                              "GET http://other/x HTTP/1.1\r\nHost: t\r\n\r\n",
                              "GET / HTTP/1.1\r\nHost: t\r\nContent-Length: x\r\n\r\n", "NOT HTTP AT ALL\r\n\r\n",
                              "POST /echo HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"}) {
    SCOPED_TRACE(request);
    TestClient client(server_.port());
    client.send(request);
    auto answer = client.receive();
    EXPECT_EQ(answer.result_int(), 400);
    EXPECT_TRUE(bodyOf(answer).contains("error"));
    EXPECT_TRUE(client.closedByServer());
  }
}

TEST_F(ServerRouting, RecordsEveryAnswerInTheAccessLogAndTheMetrics) {
  {
    TestClient client(server_.port());
    client.get("/apps/a/placements/b?environment=x");
    client.get("/nothing");
    client.post("/echo", "12345");
  }
  server_.server->stop();  // access log writes are done once the server has stopped
  auto records = accessLog();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].route, "placement");
  EXPECT_EQ(records[0].path, "/apps/a/placements/b");
  EXPECT_EQ(records[0].status, 200);
  EXPECT_EQ(records[1].route, "unmatched");
  EXPECT_EQ(records[1].status, 404);
  EXPECT_EQ(records[2].method, "POST");
  EXPECT_GT(records[2].bytesSent, 5u);
  EXPECT_EQ(records[2].clientAddress, "127.0.0.1");

  std::string text = server_.metrics.render();
  EXPECT_NE(text.find("orvane_http_requests_total{route=\"placement\",status=\"200\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("orvane_http_requests_total{route=\"unmatched\",status=\"404\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("orvane_http_request_duration_seconds_bucket{route=\"echo\",le=\"+Inf\"} 1\n"),
            std::string::npos);
}

TEST(ServerGate, AnswersInsteadOfTheRouteWhenItSpeaks) {
  TestServer server;
  std::atomic<bool> down{true};
  server.router.add("GET", "/x", "x", {}, [](Request&) { return Response::json(200, "up"); });
  server.options.gate = [&](const Request& request) -> std::optional<Response> {
    if (down && request.path != "/healthz") return Response::error(503, "starting");
    return std::nullopt;
  };
  server.start();
  TestClient client(server.port());
  EXPECT_EQ(client.get("/x").result_int(), 503);
  EXPECT_EQ(client.get("/unknown").result_int(), 503);
  down = false;
  EXPECT_EQ(client.get("/x").result_int(), 200);
}

TEST(ServerBehindAProxy, HandlersAndTheAccessLogSeeTheClientATrustedProxyNames) {
  TestServer server;
  server.router.add("GET", "/client", "client", {},
                    [](Request& request) { return Response::json(200, request.clientAddress); });
  std::mutex logMutex;
  std::vector<std::string> logged;
  server.options.accessLog = [&](const AccessRecord& record) {
    std::lock_guard lock(logMutex);
    logged.push_back(record.clientAddress);
  };
  server.options.trustedProxies = TrustedProxies::parse("127.0.0.0/8");
  server.start();
  {
    TestClient client(server.port());
    EXPECT_EQ(bodyOf(client.get("/client", "X-Forwarded-For: 198.51.100.1, 203.0.113.7\r\n")), "203.0.113.7");
    EXPECT_EQ(bodyOf(client.get("/client", "X-Forwarded-For: 198.51.100.1\r\nX-Forwarded-For: 127.0.0.5\r\n")),
              "198.51.100.1")
        << "a second proxy's header line";
    EXPECT_EQ(bodyOf(client.get("/client")), "127.0.0.1");
  }
  server.server->stop();
  std::lock_guard lock(logMutex);
  EXPECT_EQ(logged, (std::vector<std::string>{"203.0.113.7", "198.51.100.1", "127.0.0.1"}));
}

TEST(ServerLifecycle, ReportsWhyItCannotListenAndGivesItsOrigin) {
  TestServer first;
  first.start();
  EXPECT_EQ(first.server->origin(), "http://127.0.0.1:" + std::to_string(first.port()));

  TestServer second;
  second.options.port = first.port();
  EXPECT_THROW(second.start(), std::runtime_error);

  TestServer tls;
  tls.options.certificatePath = "/nonexistent/cert.pem";
  EXPECT_THROW(tls.start(), std::runtime_error);
}

}  // namespace
}  // namespace orvane::service::http::testing
