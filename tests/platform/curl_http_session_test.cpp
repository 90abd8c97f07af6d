#include <orvane/platform/curl_http_session.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <future>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "local_http_server.h"
#include "self_signed_certificate.h"

namespace orvane {
namespace {

using testing::LocalHttpServer;
using testing::SelfSignedCertificate;
using Code = TransportError::Code;

HttpRequest requestFor(const std::string& url, std::string method = "GET") {
  return HttpRequest{*Url::parse(url), std::move(method),        {},
                     std::nullopt,     std::chrono::seconds(60), std::nullopt};
}

HttpResult exchange(HttpSession& session, HttpRequest request) {
  auto promise = std::make_shared<std::promise<HttpResult>>();
  auto future = promise->get_future();
  session.send(std::move(request), [promise](HttpResult result) { promise->set_value(std::move(result)); });
  if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    return HttpResult{std::nullopt, std::nullopt, TransportError{Code::other, "test gave up waiting"}};
  return future.get();
}

// Holds a handler until released (or for a few seconds at most).
class Gate {
 public:
  void wait() {
    std::unique_lock lock(mutex_);
    condition_.wait_for(lock, std::chrono::seconds(5), [this] { return open_; });
  }
  void open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    condition_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool open_ = false;
};

class CurlHttpSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.routes().Get("/echo", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content(
          "key=" + request.get_header_value("X-Zephro-SDK-Key") + " query=" + request.get_param_value("q"),
          "text/plain");
    });
    server_.routes().Post("/echo", [](const httplib::Request& request, httplib::Response& response) {
      response.status = 201;
      auto type = request.has_header("Content-Type") ? request.get_header_value("Content-Type") : "(none)";
      response.set_content(type + "|" + request.body, "application/octet-stream");
    });
    server_.routes().Get("/client-port", [](const httplib::Request& request, httplib::Response& response) {
      response.set_content(std::to_string(request.remote_port), "text/plain");
    });
    server_.routes().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("not here", "text/plain");
    });
    server_.routes().Get("/empty",
                         [](const httplib::Request&, httplib::Response& response) { response.status = 204; });
    server_.routes().Get("/large", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(4096, 'x'), "text/plain");
    });
    server_.routes().Get("/large-chunked", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
        if (offset >= 4096) {
          sink.done();
          return true;
        }
        std::string chunk(512, 'y');
        return sink.write(chunk.data(), chunk.size());
      });
    });
    auto slow = [this](const httplib::Request&, httplib::Response& response) {
      ++slowRequests_;
      gate_.wait();
      response.set_content("late", "text/plain");
    };
    server_.routes().Get("/slow", slow);
    server_.routes().Post("/slow", slow);
    // A few bytes every 200 ms for well over a time limit (in a type the server does not compress,
    // which would hold the bytes back).
    server_.routes().Get("/trickle", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("application/octet-stream",
                                            [](size_t offset, httplib::DataSink& sink) {
                                              if (offset >= 8 * 8) {
                                                sink.done();
                                                return true;
                                              }
                                              std::this_thread::sleep_for(std::chrono::milliseconds(200));
                                              return sink.write("steady-", 7) && sink.write("!", 1);
                                            });
    });
    // Headers at once, then nothing.
    server_.routes().Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("application/octet-stream",
                                            [this](size_t offset, httplib::DataSink& sink) {
                                              if (offset == 0) return sink.write("start", 5);
                                              gate_.wait();
                                              return false;
                                            });
    });
    server_.routes().set_keep_alive_max_count(1000);
    // Every held request keeps a thread; the lanes together hold more than the default eight.
    server_.routes().new_task_queue = [] { return new httplib::ThreadPool(24); };
    server_.start();
  }

  void TearDown() override {
    gate_.open();
    server_.stop();
  }

  std::string url(const std::string& path) const { return server_.origin() + path; }

  LocalHttpServer server_;
  Gate gate_;
  std::atomic<int> slowRequests_{0};
};

TEST_F(CurlHttpSessionTest, RoundTripsMethodsHeadersAndBodies) {
  CurlHttpSession session;

  auto get = requestFor(url("/echo?q=a%20b"));
  get.setHeader("X-Zephro-SDK-Key", "key-1");
  auto fetched = exchange(session, get);
  ASSERT_FALSE(fetched.error) << fetched.error->message;
  EXPECT_EQ(fetched.response->statusCode, 200);
  EXPECT_EQ(fetched.data, "key=key-1 query=a b");

  const std::string bytes("{\"a\":1}\0\xff", 9);
  auto post = requestFor(url("/echo"), "POST");
  post.setHeader("Content-Type", "application/json");
  post.body = bytes;
  auto posted = exchange(session, post);
  ASSERT_FALSE(posted.error) << posted.error->message;
  EXPECT_EQ(posted.response->statusCode, 201);
  EXPECT_EQ(posted.data, "application/json|" + bytes);

  // No content type is invented for a body sent without one.
  auto bare = requestFor(url("/echo"), "POST");
  bare.body = "x";
  EXPECT_EQ(exchange(session, bare).data, "(none)|x");
}

TEST_F(CurlHttpSessionTest, ReusesItsConnectionForTheNextExchange) {
  CurlHttpSession session;
  auto first = exchange(session, requestFor(url("/client-port")));
  auto second = exchange(session, requestFor(url("/client-port")));
  ASSERT_TRUE(first.data && second.data);
  EXPECT_EQ(*first.data, *second.data);

  // A burst shares a few connections rather than opening a socket per request.
  constexpr int kBurst = 200;
  std::mutex mutex;
  std::condition_variable condition;
  std::set<std::string> ports;
  int answered = 0;
  for (int i = 0; i < kBurst; ++i) {
    session.send(requestFor(url("/client-port")), [&](HttpResult result) {
      std::lock_guard lock(mutex);
      ++answered;
      if (result.data) ports.insert(*result.data);
      condition.notify_all();
    });
  }
  std::unique_lock lock(mutex);
  ASSERT_TRUE(condition.wait_for(lock, std::chrono::seconds(10), [&] { return answered == kBurst; }));
  EXPECT_LE(ports.size(), static_cast<std::size_t>(CurlHttpSession::maxConnectionsPerHost));
}

TEST_F(CurlHttpSessionTest, ReportsEveryStatusAsAResponseNotAnError) {
  CurlHttpSession session;
  auto missing = exchange(session, requestFor(url("/missing")));
  EXPECT_FALSE(missing.error);
  EXPECT_EQ(missing.response->statusCode, 404);
  EXPECT_EQ(missing.data, "not here");

  auto empty = exchange(session, requestFor(url("/empty")));
  EXPECT_EQ(empty.response->statusCode, 204);
  EXPECT_EQ(empty.data, "");  // present, and empty
}

TEST_F(CurlHttpSessionTest, AbortsAnswersLargerThanTheCap) {
  CurlHttpSession::Options options;
  options.maxResponseBytes = 1024;
  CurlHttpSession session(options);

  for (const char* path : {"/large", "/large-chunked"}) {
    auto result = exchange(session, requestFor(url(path)));
    ASSERT_TRUE(result.error) << path;
    EXPECT_EQ(result.error->code, Code::tooLarge) << path;
    EXPECT_FALSE(result.data) << path;
  }
  EXPECT_EQ(exchange(session, requestFor(url("/echo"))).response->statusCode, 200);

  // A request's own cap applies when it is the tighter one.
  CurlHttpSession roomy;
  auto capped = requestFor(url("/large"));
  capped.maxResponseBytes = 1024;
  auto refused = exchange(roomy, capped);
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, Code::tooLarge);
  EXPECT_TRUE(exchange(roomy, requestFor(url("/large"))).data);
}

TEST_F(CurlHttpSessionTest, MapsRefusedConnectionsAndTimeouts) {
  CurlHttpSession session;

  LocalHttpServer closed;
  closed.start();
  const auto closedOrigin = closed.origin();
  closed.stop();
  auto refused = exchange(session, requestFor(closedOrigin + "/echo"));
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, Code::connection);
  EXPECT_FALSE(refused.error->message.empty());

  auto slow = requestFor(url("/slow"));
  slow.timeout = std::chrono::seconds(1);
  const auto started = std::chrono::steady_clock::now();
  auto timedOut = exchange(session, slow);
  ASSERT_TRUE(timedOut.error);
  EXPECT_EQ(timedOut.error->code, Code::timeout);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
}

// Caching reads the answer's own fields; those of a redirect on the way must not count.
TEST(CurlHttpSessionHeaders, GivesTheFinalAnswersFieldsAndRevalidates) {
  LocalHttpServer server;
  server.routes().Get("/tagged", [](const httplib::Request& request, httplib::Response& response) {
    response.set_header("ETag", "\"v1\"");
    response.set_header("Cache-Control", "max-age=60");
    if (request.get_header_value("If-None-Match") == "\"v1\"") {
      response.status = 304;
      return;
    }
    response.set_content("IMG:1x1", "image/png");
  });
  server.routes().Get("/moved", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    response.set_redirect("/tagged", 302);
  });
  server.start();
  CurlHttpSession session;

  auto answer = exchange(session, requestFor(server.origin() + "/moved"));
  ASSERT_FALSE(answer.error) << answer.error->message;
  ASSERT_TRUE(answer.response->header("etag"));
  EXPECT_EQ(*answer.response->header("etag"), "\"v1\"");
  EXPECT_EQ(*answer.response->header("Cache-Control"), "max-age=60");
  EXPECT_FALSE(answer.response->header("Location"));

  auto ask = requestFor(server.origin() + "/tagged");
  ask.setHeader("If-None-Match", "\"v1\"");
  auto unchanged = exchange(session, ask);
  ASSERT_FALSE(unchanged.error) << unchanged.error->message;
  EXPECT_EQ(unchanged.response->statusCode, 304);
  EXPECT_EQ(unchanged.data.value_or("absent"), "");
}

TEST(CurlHttpSessionRedirects, ServiceRequestsFollowRedirectsOnlyWithinTheirOrigin) {
  LocalHttpServer elsewhere;
  std::atomic<int> reachedElsewhere{0};
  elsewhere.routes().Post(".*", [&](const httplib::Request&, httplib::Response& response) {
    ++reachedElsewhere;
    response.set_content("captured", "text/plain");
  });
  elsewhere.routes().Get(".*", [&](const httplib::Request&, httplib::Response& response) {
    ++reachedElsewhere;
    response.set_content("captured", "text/plain");
  });
  elsewhere.start();
  const auto away = elsewhere.origin() + "/capture";
  LocalHttpServer service;
  service.routes().Get("/echo", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(
        "key=" + request.get_header_value("X-Zephro-SDK-Key") + " query=" + request.get_param_value("q"),
        "text/plain");
  });
  service.routes().Post("/away", [&](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(away, 307);
  });
  service.routes().Get("/away", [&](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(away, 302);
  });
  service.routes().Get("/here", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/echo?q=moved", 302);
  });
  service.start();
  auto url = [&](const std::string& path) { return service.origin() + path; };
  CurlHttpSession session;

  auto vote = requestFor(url("/away"), "POST");
  vote.setHeader("X-Zephro-SDK-Key", "secret");
  vote.body = "{\"option\":\"a\"}";
  auto get = requestFor(url("/away"));
  get.setHeader("X-Zephro-SDK-Key", "secret");
  for (auto& request : {vote, get}) {
    auto result = exchange(session, request);
    ASSERT_TRUE(result.error) << request.method;
    EXPECT_EQ(result.error->code, Code::other) << request.method;
    EXPECT_FALSE(result.data) << request.method;
  }
  EXPECT_EQ(reachedElsewhere, 0) << "the key left the service origin";

  auto within = requestFor(url("/here"));
  within.setHeader("X-Zephro-SDK-Key", "secret");
  auto moved = exchange(session, within);
  ASSERT_FALSE(moved.error) << moved.error->message;
  EXPECT_EQ(moved.data, "key=secret query=moved");
}

// libcurl follows the first non-empty Location of a redirect; a check of any other one could be
// steered past. Both origins are loopback servers on their own ports.
void expectAmbiguousRedirectsStayHome(bool secure) {
  SelfSignedCertificate certificate("IP:127.0.0.1");
  auto makeServer = [&] {
    return std::make_unique<LocalHttpServer>(
        secure ? std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key())
               : std::make_unique<httplib::Server>());
  };
  const std::string scheme = secure ? "https" : "http";
  std::mutex mutex;
  std::vector<std::string> captured;
  auto elsewhere = makeServer();
  auto capture = [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(mutex);
    captured.push_back(request.method + " key=" + request.get_header_value("X-Zephro-SDK-Key") +
                       " user=" + request.get_header_value("X-Zephro-UserId") + " body=" + request.body);
    response.set_content("captured", "text/plain");
  };
  elsewhere->routes().Get(".*", capture);
  elsewhere->routes().Post(".*", capture);
  elsewhere->start();
  const auto evil = elsewhere->origin(scheme) + "/capture";

  auto service = makeServer();
  service->routes().Get("/echo", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("home", "text/plain");
  });
  service->routes().Post("/echo", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("home", "text/plain");
  });
  const std::vector<std::pair<std::string, std::vector<std::string>>> answers = {
      {"/good-then-evil", {"/echo", evil}},
      {"/evil-then-good", {evil, "/echo"}},
      {"/evil-then-empty", {evil, ""}},
  };
  for (const auto& [path, locations] : answers) {
    auto redirect = [locations = locations](const httplib::Request& request, httplib::Response& response) {
      response.status = request.method == "POST" ? 307 : 302;
      for (const auto& location : locations) response.set_header("Location", location);
    };
    service->routes().Get(path, redirect);
    service->routes().Post(path, redirect);
  }
  service->start();

  CurlHttpSession::Options trusting;
  trusting.caBundlePath = certificate.pemPath();
  CurlHttpSession session(trusting);
  for (const auto& [path, locations] : answers) {
    auto get = requestFor(service->origin(scheme) + path);
    auto vote = requestFor(service->origin(scheme) + path, "POST");
    vote.body = "{\"option\":\"a\"}";
    for (auto* request : {&get, &vote}) {
      request->setHeader("X-Zephro-SDK-Key", "secret");
      request->setHeader("X-Zephro-UserId", "user-1");
      auto result = exchange(session, *request);
      ASSERT_TRUE(result.error) << path << " " << request->method;
      EXPECT_EQ(result.error->code, Code::other) << path << " " << request->method;
      EXPECT_FALSE(result.data) << path << " " << request->method;
    }
  }
  std::lock_guard lock(mutex);
  EXPECT_EQ(captured, std::vector<std::string>{}) << "the key, user or vote left the service origin";
}

TEST(CurlHttpSessionRedirects, RefusesAnswersNamingMoreThanOneLocation) {
  expectAmbiguousRedirectsStayHome(false);
}

TEST(CurlHttpSessionTls, RefusesAnswersNamingMoreThanOneLocation) { expectAmbiguousRedirectsStayHome(true); }

TEST_F(CurlHttpSessionTest, TheTimeLimitCutsSilenceNotASteadyAnswer) {
  CurlHttpSession::Options options;
  options.idleTimeout = std::chrono::seconds(1);
  CurlHttpSession session(options);

  auto steady = exchange(session, requestFor(url("/trickle")));
  ASSERT_FALSE(steady.error) << steady.error->message;
  EXPECT_EQ(steady.data->size(), 8u * 8u);

  // A silent answer is cut, and so is a request that waited for a turn on the busy origin: its
  // limit counts from when it was sent.
  auto stalled = std::make_shared<std::promise<HttpResult>>();
  session.send(requestFor(url("/stall")),
               [stalled](HttpResult result) { stalled->set_value(std::move(result)); });
  for (long i = 1; i < CurlHttpSession::maxConnectionsPerHost; ++i)
    session.send(requestFor(url("/slow")), [](HttpResult) {});
  const auto started = std::chrono::steady_clock::now();
  auto queued = exchange(session, requestFor(url("/slow")));
  ASSERT_TRUE(queued.error);
  EXPECT_EQ(queued.error->code, Code::timeout);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1600));

  auto silent = stalled->get_future();
  ASSERT_EQ(silent.wait_for(std::chrono::seconds(3)), std::future_status::ready);
  auto stall = silent.get();
  ASSERT_TRUE(stall.error);
  EXPECT_EQ(stall.error->code, Code::timeout);
}

HttpRequest mediaRequest(const std::string& url, std::stop_token cancellation = {}) {
  auto request = requestFor(url);
  request.lane = HttpRequest::Lane::media;
  request.cancellation = std::move(cancellation);
  return request;
}

std::future<HttpResult> sent(HttpSession& session, HttpRequest request) {
  auto promise = std::make_shared<std::promise<HttpResult>>();
  session.send(std::move(request), [promise](HttpResult result) { promise->set_value(std::move(result)); });
  return promise->get_future();
}

HttpResult outcome(std::future<HttpResult>& future) {
  if (future.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
    return HttpResult{std::nullopt, std::nullopt, TransportError{Code::other, "test gave up waiting"}};
  return future.get();
}

TEST_F(CurlHttpSessionTest, MediaHoldsNoConnectionOfContentAndACancelledRequestFreesItsOwn) {
  CurlHttpSession session;
  std::vector<std::stop_source> viewers(CurlHttpSession::maxConnectionsPerHost);
  std::vector<std::future<HttpResult>> held;
  for (auto& viewer : viewers) held.push_back(sent(session, mediaRequest(url("/slow"), viewer.get_token())));
  for (int waited = 0; slowRequests_ < CurlHttpSession::maxConnectionsPerHost && waited < 5000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(slowRequests_, CurlHttpSession::maxConnectionsPerHost);

  auto content = exchange(session, requestFor(url("/echo?q=stories")));
  ASSERT_FALSE(content.error) << content.error->message;
  EXPECT_EQ(content.data, "key= query=stories");

  // Every media turn of the origin is taken: these two wait, and the first of them is given up.
  std::stop_source swipedPast;
  auto abandoned = sent(session, mediaRequest(url("/echo?q=abandoned"), swipedPast.get_token()));
  auto next = sent(session, mediaRequest(url("/echo?q=next")));
  swipedPast.request_stop();
  auto gaveUp = outcome(abandoned);
  ASSERT_TRUE(gaveUp.error);
  EXPECT_EQ(gaveUp.error->code, Code::cancelled) << gaveUp.error->message;
  EXPECT_EQ(next.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout) << "no turn was free";

  // A running download given up leaves at once, and its turn goes to the one waiting.
  viewers.front().request_stop();
  auto cut = outcome(held.front());
  ASSERT_TRUE(cut.error);
  EXPECT_EQ(cut.error->code, Code::cancelled) << cut.error->message;
  auto started = outcome(next);
  ASSERT_FALSE(started.error) << started.error->message;
  EXPECT_EQ(started.data, "key= query=next");
  EXPECT_EQ(slowRequests_, CurlHttpSession::maxConnectionsPerHost) << "the given-up request was never sent";

  gate_.open();
  for (std::size_t i = 1; i < held.size(); ++i) EXPECT_EQ(outcome(held[i]).data, "late");
}

TEST_F(CurlHttpSessionTest, MediaBelowTheMinimumRateIsCutAndContentIsNot) {
  CurlHttpSession::Options options;
  options.minimumMediaRate = {1000, std::chrono::milliseconds(300)};
  CurlHttpSession session(options);

  // 40 bytes a second.
  auto slowPicture = exchange(session, mediaRequest(url("/trickle")));
  ASSERT_TRUE(slowPicture.error);
  EXPECT_EQ(slowPicture.error->code, Code::timeout);
  EXPECT_NE(slowPicture.error->message.find("below the minimum of 1000 bytes/s"), std::string::npos)
      << slowPicture.error->message;

  auto picture = exchange(session, mediaRequest(url("/large")));
  ASSERT_FALSE(picture.error) << picture.error->message;
  EXPECT_EQ(picture.data->size(), 4096u);

  auto slowContent = exchange(session, requestFor(url("/trickle")));
  ASSERT_FALSE(slowContent.error) << slowContent.error->message;
  EXPECT_EQ(slowContent.data->size(), 8u * 8u);
}

TEST_F(CurlHttpSessionTest, WaitingTelemetryIsBoundedByDroppingTheOldest) {
  // Outlive the session, whose end cancels the reports still waiting.
  std::mutex mutex;
  std::vector<std::string> dropped;
  CurlHttpSession::Options options;
  options.telemetryConnections = 1;
  options.telemetryQueueLength = 3;
  options.telemetryQueueBytes = 10;
  CurlHttpSession session(options);
  auto report = [&](const char* path, std::string body) {
    auto request = requestFor(url(path), "POST");
    request.body = std::move(body);
    request.lane = HttpRequest::Lane::telemetry;
    return request;
  };
  session.send(report("/slow", "held"), [](HttpResult) {});
  for (int waited = 0; slowRequests_ == 0 && waited < 5000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  for (std::string body : {"a", "b", "c", "d", "nine-byte"}) {
    session.send(report("/echo", body), [&, body](HttpResult result) {
      if (result.error && result.error->message.rfind("Dropped", 0) == 0) {
        std::lock_guard lock(mutex);
        dropped.push_back(body);
      }
    });
  }
  // Three reports at most, ten bytes at most: the nine-byte one leaves room for one other.
  EXPECT_EQ(exchange(session, requestFor(url("/echo"))).response->statusCode, 200) << "service requests pass";
  std::lock_guard lock(mutex);
  EXPECT_EQ(dropped, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(CurlHttpSessionTest, PointsAnOverriddenOriginAtAnotherServer) {
  CurlHttpSession::Options options;
  options.originOverrides["https://api.orvane.io"] = server_.origin() + "/";
  CurlHttpSession session(options);

  auto result = exchange(session, requestFor("https://API.orvane.io/echo?q=over"));
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.data, "key= query=over");
}

TEST_F(CurlHttpSessionTest, RefusesRequestsItMustNotSend) {
  CurlHttpSession session;

  auto smuggling = requestFor(url("/echo"));
  smuggling.setHeader("X-Zephro-UserId", "u1\r\nX-Injected: yes");
  auto refusedHeader = exchange(session, smuggling);
  ASSERT_TRUE(refusedHeader.error);
  EXPECT_EQ(refusedHeader.error->code, Code::other);

  for (const char* target : {"file:///etc/hostname", "ftp://127.0.0.1/"}) {
    auto result = exchange(session, requestFor(target));
    ASSERT_TRUE(result.error) << target;
    EXPECT_FALSE(result.data) << target;
  }
}

TEST_F(CurlHttpSessionTest, DestructionCancelsWhatIsStillRunning) {
  std::promise<HttpResult> outcome;
  {
    CurlHttpSession session;
    session.send(requestFor(url("/slow")), [&](HttpResult result) { outcome.set_value(std::move(result)); });
    for (int waited = 0; slowRequests_ == 0 && waited < 5000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  auto future = outcome.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  auto result = future.get();
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->code, Code::cancelled);
}

TEST(CurlHttpSessionTls, VerifiesThePeerAndItsName) {
  SelfSignedCertificate forAddress("IP:127.0.0.1");
  LocalHttpServer secure(std::make_unique<httplib::SSLServer>(forAddress.certificate(), forAddress.key()));
  secure.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  secure.routes().Get("/downgrade", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("http://127.0.0.1:1/hello");
  });
  secure.start();
  const auto hello = secure.origin("https") + "/hello";

  CurlHttpSession systemTrust;
  auto untrusted = exchange(systemTrust, requestFor(hello));
  ASSERT_TRUE(untrusted.error);
  EXPECT_EQ(untrusted.error->code, Code::tls);

  CurlHttpSession::Options trusting;
  trusting.caBundlePath = forAddress.pemPath();
  CurlHttpSession session(trusting);
  auto trusted = exchange(session, requestFor(hello));
  ASSERT_FALSE(trusted.error) << trusted.error->message;
  EXPECT_EQ(trusted.data, "hello");

  auto downgraded = exchange(session, requestFor(secure.origin("https") + "/downgrade"));
  ASSERT_TRUE(downgraded.error);
  EXPECT_EQ(downgraded.error->code, Code::other);

  SelfSignedCertificate forOtherName("DNS:elsewhere.example");
  CurlHttpSession::Options trustingOther;
  trustingOther.caBundlePath = forOtherName.pemPath();
  LocalHttpServer misnamed(
      std::make_unique<httplib::SSLServer>(forOtherName.certificate(), forOtherName.key()));
  misnamed.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  misnamed.start();
  CurlHttpSession other(trustingOther);
  auto wrongName = exchange(other, requestFor(misnamed.origin("https") + "/hello"));
  ASSERT_TRUE(wrongName.error);
  EXPECT_EQ(wrongName.error->code, Code::tls);
}

// A toolkit's route for each request: the authorities it names are trusted (in place of the
// default bundle, so verification stays on for everyone else), and a proxy it names is used.
TEST(CurlHttpSessionTls, EachRequestTakesTheRouteTheHostGivesIt) {
  SelfSignedCertificate certificate("IP:127.0.0.1");
  LocalHttpServer secure(std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key()));
  secure.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  secure.start();
  std::string pem;
  {
    std::ifstream file(certificate.pemPath());
    pem.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  std::mutex mutex;
  std::vector<std::string> asked;
  NetworkRoute route;
  CurlHttpSession::Options options;
  options.route = [&](const std::string& url) {
    std::lock_guard lock(mutex);
    asked.push_back(url);
    return route;
  };
  route.proxy = std::string();  // straight there
  route.trustedAuthorities = std::make_shared<const std::string>(pem);
  {
    CurlHttpSession session(options);
    auto trusted = exchange(session, requestFor(secure.origin("https") + "/hello"));
    ASSERT_FALSE(trusted.error) << trusted.error->message;
    EXPECT_EQ(trusted.data, "hello");
  }
  EXPECT_EQ(asked, std::vector<std::string>{secure.origin("https") + "/hello"});

  route.trustedAuthorities = std::make_shared<const std::string>("not a certificate");
  {
    CurlHttpSession session(options);
    auto refused = exchange(session, requestFor(secure.origin("https") + "/hello"));
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code, Code::tls);
  }

  // A proxy that is not there: the request goes nowhere else, and says so without its secret.
  route.trustedAuthorities = nullptr;
  route.proxy = "http://127.0.0.1:1";
  route.proxyUser = "user";
  route.proxyPassword = "hunter2";
  CurlHttpSession session(options);
  auto unreachable = exchange(session, requestFor(secure.origin("https") + "/hello"));
  ASSERT_TRUE(unreachable.error);
  EXPECT_EQ(unreachable.error->code, Code::connection);
  EXPECT_EQ(unreachable.error->message.find("hunter2"), std::string::npos) << unreachable.error->message;
}

TEST(CurlHttpSessionTls, DownloadsFollowRedirectsToAnyHttpsOriginOnly) {
  SelfSignedCertificate certificate("IP:127.0.0.1");
  auto serving = [&](const std::string& path, const httplib::Server::Handler& handler, bool secure) {
    auto server = std::make_unique<LocalHttpServer>(
        secure ? std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key())
               : std::make_unique<httplib::Server>());
    server->routes().Get(path, handler);
    server->start();
    return server;
  };
  auto cdn = serving(
      "/picture",
      [](const httplib::Request&, httplib::Response& response) {
        response.set_content("pixels", "application/octet-stream");
      },
      true);
  const auto picture = cdn->origin("https") + "/picture";
  auto moved = [](std::string target) {
    return [target](const httplib::Request&, httplib::Response& response) { response.set_redirect(target); };
  };
  auto secure = serving("/moved", moved(picture), true);
  auto plain = serving("/moved", moved("/picture"), false);
  CurlHttpSession::Options trusting;
  trusting.caBundlePath = certificate.pemPath();
  CurlHttpSession session(trusting);

  auto download = requestFor(secure->origin("https") + "/moved");
  download.redirects = HttpRequest::Redirects::toHttps;
  auto followed = exchange(session, download);
  ASSERT_FALSE(followed.error) << followed.error->message;
  EXPECT_EQ(followed.data, "pixels");

  EXPECT_TRUE(exchange(session, requestFor(secure->origin("https") + "/moved")).error) << "a service request";
  auto toPlainHttp = requestFor(plain->origin() + "/moved");
  toPlainHttp.redirects = HttpRequest::Redirects::toHttps;
  auto refused = exchange(session, toPlainHttp);
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, Code::other);
}

}  // namespace
}  // namespace orvane
