#include <future>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "http/content_coding.h"
#include "test_client.h"

namespace orvane::service::http::testing {
namespace {

using namespace std::chrono_literals;

std::string chunked(const std::string& payload, std::size_t chunkSize) {
  std::string out;
  for (std::size_t at = 0; at < payload.size(); at += chunkSize) {
    std::string piece = payload.substr(at, chunkSize);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    out += size + piece + "\r\n";
  }
  return out + "0\r\n\r\n";
}

class BodyLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.router.add("POST", "/events", "events", {64 * 1024}, [](Request& request) {
      return Response::json(200, {{"size", request.body.size()}, {"head", request.body.substr(0, 16)}});
    });
    server_.start();
  }
  TestServer server_;
};

TEST_F(BodyLimits, RefusesADeclaredLengthOverTheCapBeforeTheBodyIsSent) {
  TestClient client(server_.port());
  client.send("POST /events HTTP/1.1\r\nHost: t\r\nContent-Length: 1073741824\r\n\r\n");
  auto answer = client.receive();
  EXPECT_EQ(answer.result_int(), 413);
  EXPECT_FALSE(answer.keep_alive());
  EXPECT_TRUE(client.connectionEnded());
}

TEST_F(BodyLimits, CountsAChunkedBodyAfterDechunking) {
  TestClient within(server_.port());
  std::string fits(64 * 1024, 'a');
  within.send("POST /events HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked(fits, 1000));
  auto accepted = within.receive();
  EXPECT_EQ(accepted.result_int(), 200);
  EXPECT_EQ(nlohmann::json::parse(accepted.body())["size"], fits.size());

  TestClient over(server_.port());
  over.send("POST /events HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n" +
            chunked(std::string(64 * 1024 + 1, 'a'), 4096));
  auto refused = over.receive();
  EXPECT_EQ(refused.result_int(), 413);
  EXPECT_TRUE(over.connectionEnded());
}

TEST_F(BodyLimits, CountsACompressedBodyAfterDecodingAndStopsInflatingABomb) {
  std::string text = "{\"event\":\"open\"}";
  TestClient client(server_.port());
  auto decoded = client.post("/events", gzipCompress(text), "Content-Encoding: gzip\r\n");
  EXPECT_EQ(decoded.result_int(), 200);
  EXPECT_EQ(nlohmann::json::parse(decoded.body())["head"], text);

  // 64 MiB of zeros gzip to about 64 KiB: small on the wire, far past the cap decoded.
  std::string bomb = gzipCompress(std::string(64 * 1024 * 1024, '\0'));
  ASSERT_LT(bomb.size(), 64u * 1024);
  TestClient bomber(server_.port());
  auto refused = bomber.post("/events", bomb, "Content-Encoding: gzip\r\n");
  EXPECT_EQ(refused.result_int(), 413);
  EXPECT_TRUE(bomber.connectionEnded());

  TestClient unknown(server_.port());
  EXPECT_EQ(unknown.post("/events", "xx", "Content-Encoding: br\r\n").result_int(), 415);
  TestClient broken(server_.port());
  EXPECT_EQ(broken.post("/events", "not gzip at all", "Content-Encoding: gzip\r\n").result_int(), 400);
}

TEST_F(BodyLimits, AnswersExpectContinueBeforeTheBodyIsSent) {
  TestClient client(server_.port());
  client.send("POST /events HTTP/1.1\r\nHost: t\r\nContent-Length: 5\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_EQ(client.receive().result_int(), 100);
  client.send("hello");
  EXPECT_EQ(client.receive().result_int(), 200);
}

TEST(HeaderLimits, AnswersHeadersOverTheLimitWith431) {
  TestServer server;
  server.options.maxHeaderBytes = 4096;
  server.router.add("GET", "/", "root", {}, [](Request&) { return Response::json(200, "ok"); });
  server.start();
  TestClient client(server.port());
  client.send("GET / HTTP/1.1\r\nHost: t\r\nX-Padding: " + std::string(8192, 'p') + "\r\n\r\n");
  auto answer = client.receive();
  EXPECT_EQ(answer.result_int(), 431);
  EXPECT_TRUE(nlohmann::json::parse(answer.body()).contains("error"));
}

class Timeouts : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.options.headerTimeout = 100ms;
    server_.options.bodyTimeout = 100ms;
    server_.options.idleTimeout = 100ms;
    server_.router.add("POST", "/events", "events", {1024}, [](Request&) { return Response::json(202, nullptr); });
    server_.router.add("GET", "/", "root", {}, [](Request&) { return Response::json(200, "ok"); });
    server_.start();
  }
  TestServer server_;
};

TEST_F(Timeouts, CutClientsThatStallInTheHeadersTheBodyOrBetweenRequests) {
  TestClient silent(server_.port());
  EXPECT_TRUE(silent.connectionEnded());

  TestClient slowHeaders(server_.port());
  slowHeaders.send("GET / HTTP/1.1\r\nHost: t\r\n");
  EXPECT_TRUE(slowHeaders.connectionEnded());

  TestClient slowBody(server_.port());
  slowBody.send("POST /events HTTP/1.1\r\nHost: t\r\nContent-Length: 10\r\n\r\nabc");
  EXPECT_TRUE(slowBody.connectionEnded());

  TestClient idle(server_.port());
  EXPECT_EQ(idle.get("/").result_int(), 200);
  EXPECT_TRUE(idle.closedByServer());
}

TEST(SlowClients, DoNotDelayAnotherClientsAnswer) {
  TestServer server;
  server.options.headerTimeout = 60s;  // the trickling sockets stay for the whole test
  server.options.bodyTimeout = 60s;
  server.options.ioThreads = 1;
  server.router.add("GET", "/", "root", {}, [](Request&) { return Response::json(200, "ok"); });
  server.router.add("POST", "/events", "events", {1024}, [](Request&) { return Response::json(202, nullptr); });
  server.start();

  std::vector<std::unique_ptr<TestClient>> trickling;
  for (int i = 0; i < 40; ++i) {
    trickling.push_back(std::make_unique<TestClient>(server.port()));
    trickling.back()->send(i % 2 == 0 ? "GET / HTTP/1.1\r\nHost: t\r\nX-Slow: a"
                                      : "POST /events HTTP/1.1\r\nHost: t\r\nContent-Length: 100\r\n\r\nab");
  }
  // A blocked server would leave this waiting for the trickling sockets' minute.
  TestClient ordinary(server.port(), 5s);
  EXPECT_EQ(ordinary.get("/").result_int(), 200);
  EXPECT_EQ(ordinary.get("/").result_int(), 200);
}

TEST(SlowHandlers, DoNotDelayAnotherRequest) {
  TestServer server;
  server.options.workerThreads = 2;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  server.router.add("GET", "/slow", "slow", {}, [released](Request&) {
    released.wait();
    return Response::json(200, "slow");
  });
  server.router.add("GET", "/fast", "fast", {}, [](Request&) { return Response::json(200, "fast"); });
  server.start();

  TestClient slow(server.port());
  slow.send("GET /slow HTTP/1.1\r\nHost: t\r\n\r\n");
  TestClient fast(server.port(), 5s);
  EXPECT_EQ(fast.get("/fast").body(), "\"fast\"");
  release.set_value();
  EXPECT_EQ(slow.receive().body(), "\"slow\"");
}

TEST(ConnectionLimit, RefusesConnectionsBeyondTheMaximum) {
  TestServer server;
  server.options.maxConnections = 2;
  server.router.add("GET", "/", "root", {}, [](Request&) { return Response::json(200, "ok"); });
  server.start();
  TestClient first(server.port());
  TestClient second(server.port());
  EXPECT_EQ(first.get("/").result_int(), 200);
  EXPECT_EQ(second.get("/").result_int(), 200);
  TestClient third(server.port());
  EXPECT_TRUE(third.connectionEnded());
  EXPECT_EQ(first.get("/").result_int(), 200);
}

}  // namespace
}  // namespace orvane::service::http::testing
