#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <orvane/core/json_post.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/platform/url.h>
#include <orvane/stories/story_bar_view_model.h>
#include "../integration/real_transport_sdk.h"
#include "../platform/local_http_server.h"
#include "sample_answers.h"
#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

using namespace std::chrono_literals;

// A service whose every answer is produced by `answer`, reached through the real transport.
struct MisbehavingService {
  explicit MisbehavingService(const httplib::Server::Handler& answer,
                              CurlHttpSession::Options transportOptions = {}) {
    server.routes().Get(".*", answer);
    server.routes().Post(".*", answer);
    server.start();
    client = std::make_unique<RealTransportSdk>(server.origin(), std::move(transportOptions));
    client->configure();
  }

  LocalHttpServer server;
  std::unique_ptr<RealTransportSdk> client;
};

TransportError::Code transportCode(const Error& error) {
  EXPECT_TRUE(std::holds_alternative<TransportError>(error)) << errorDescription(error);
  return std::holds_alternative<TransportError>(error) ? std::get<TransportError>(error).code
                                                       : TransportError::Code::other;
}

TEST(MisbehavingService, SlowAnswersInFlightTogetherEachCompleteOnce) {
  const auto body = sampleAnswer("stories");
  std::atomic<int> turn{0};
  MisbehavingService service([&](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + 40 * (turn++ % 6)));
    response.set_content(body, "application/json");
  });
  auto& client = *service.client;

  constexpr int kCalls = 6;
  std::vector<int> completions(kCalls, 0);
  int succeeded = 0;
  for (int call = 0; call < kCalls; ++call) {
    client.api->fetchStories("home", [&, call](Result<std::vector<StoryGroup>> result) {
      EXPECT_TRUE(client.loop->isMainThread());
      ++completions[call];
      if (result.ok() && !result.value().empty()) ++succeeded;
    });
  }
  ASSERT_TRUE(client.loop->runUntil([&] { return succeeded == kCalls; }, 10s));
  client.loop->runFor(50ms);
  EXPECT_EQ(completions, std::vector<int>(kCalls, 1));
}

TEST(MisbehavingService, ModelsGoneBeforeTheirSlowAnswersAreLeftAlone) {
  const auto body = sampleAnswer("stories");
  MisbehavingService service([&](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(150ms);
    response.set_content(body, "application/json");
  });
  auto& client = *service.client;
  auto pipeline =
      std::make_unique<StoryImagePipeline>(client.sdk->platform().http, std::make_shared<FakeImageDecoder>(),
                                           client.loop, client.sdk->platform().workers);

  auto kept = StoryBarViewModel::create("home", client.sdk->services(), *pipeline);
  auto dropped = StoryBarViewModel::create("home", client.sdk->services(), *pipeline);
  std::weak_ptr<StoryBarViewModel> watch = dropped;
  dropped.reset();
  EXPECT_TRUE(watch.expired()) << "an answer in flight must not keep its model alive";

  ASSERT_TRUE(client.loop->runUntil([&] { return kept->hasLoaded() && !kept->isLoading(); }, 10s));
  EXPECT_FALSE(kept->groups().empty());

  // The image downloads the kept model started outlive the model and the pipeline.
  kept.reset();
  pipeline.reset();
  client.loop->runFor(20ms);
}

TEST(MisbehavingService, ContentAndVotesNeverWaitBehindAHangingEventsEndpoint) {
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  const auto stories = sampleAnswer("stories");
  const auto vote = sampleAnswer("vote");
  MisbehavingService service([&](const httplib::Request& request, httplib::Response& response) {
    if (request.path.find("/events") != std::string::npos) {
      std::unique_lock lock(mutex);
      released.wait_for(lock, 5s, [&] { return release; });
      return;
    }
    response.set_content(request.method == "POST" ? vote : stories, "application/json");
  });
  auto& client = *service.client;
  auto releaseEvents = [&] {
    {
      std::lock_guard lock(mutex);
      release = true;
    }
    released.notify_all();
  };

  // Ten seconds' worth of events at two a second, all still waiting for an answer.
  const auto events = baseURL(StoryEnvironment::production)
                          .appendingPathComponent("sdk")
                          .appendingPathComponent("v1")
                          .appendingPathComponent("events");
  for (int event = 0; event < 20; ++event)
    postJsonIgnoringAnswer(*client.sdk->platform().http, events, {{"event", event}}, "demo-sdk-key");
  client.loop->runFor(50ms);

  const auto started = std::chrono::steady_clock::now();
  auto fetched = client.stories("home");
  auto voted = client.await<VoteResponse>([&](auto done) { client.api->recordVote("item", "option", done); });
  const auto took = std::chrono::steady_clock::now() - started;
  releaseEvents();
  ASSERT_TRUE(fetched.ok()) << errorDescription(fetched.error());
  ASSERT_TRUE(voted && voted->ok());
  EXPECT_LT(took, 1s);
}

TEST(MisbehavingService, ContentAndVotesNeverWaitBehindDrippingMedia) {
  // Six pictures on the service's own origin, each dripping a byte every 100 ms (for 5 s at most):
  // every media connection busy, none of them ever silent for a whole second.
  std::atomic<bool> stopDripping{false};
  std::atomic<int> dripping{0};
  const auto stories = sampleAnswer("stories");
  const auto vote = sampleAnswer("vote");
  auto threads = std::make_unique<httplib::Server>();
  threads->new_task_queue = [] { return new httplib::ThreadPool(16); };
  LocalHttpServer server(std::move(threads));
  auto answer = [&](const httplib::Request& request, httplib::Response& response) {
    if (request.path.rfind("/media/", 0) != 0) {
      response.set_content(request.method == "POST" ? vote : stories, "application/json");
      return;
    }
    ++dripping;
    response.set_chunked_content_provider("application/octet-stream",
                                          [&](std::size_t offset, httplib::DataSink& sink) {
                                            if (stopDripping || offset >= 50) return false;
                                            std::this_thread::sleep_for(100ms);
                                            return sink.write("x", 1);
                                          });
  };
  server.routes().Get(".*", answer);
  server.routes().Post(".*", answer);
  server.start();
  CurlHttpSession::Options transport;
  transport.idleTimeout = 1s;
  RealTransportSdk client(server.origin(), transport);
  client.configure();
  StoryImagePipeline pipeline(client.sdk->platform().http, std::make_shared<FakeImageDecoder>(), client.loop,
                              client.sdk->platform().workers);
  for (int picture = 0; picture < 6; ++picture)
    pipeline.prefetch(*Url::parse(server.origin() + "/media/" + std::to_string(picture) + ".jpg"));
  ASSERT_TRUE(client.waitFor([&] { return dripping == 6; }));

  auto fetched = client.stories("home");
  auto voted = client.await<VoteResponse>([&](auto done) { client.api->recordVote("item", "option", done); });
  stopDripping = true;
  ASSERT_TRUE(fetched.ok()) << errorDescription(fetched.error());
  ASSERT_TRUE(voted);
  EXPECT_TRUE(voted->ok()) << errorDescription(voted->error());
}

TEST(MisbehavingService, ServerErrorsAreHttpStatusErrorsAndBannersFallBack) {
  std::atomic<int> status{200};
  const auto banners = sampleAnswer("banners");
  MisbehavingService service([&](const httplib::Request&, httplib::Response& response) {
    response.status = status;
    response.set_content(status == 200 ? banners : "<html>upstream error</html>", "text/html");
  });
  auto& client = *service.client;
  auto good = client.banners("five-hundreds");
  ASSERT_TRUE(good.ok()) << errorDescription(good.error());

  for (int code : {500, 502, 503, 504}) {
    status = code;
    auto stories = client.stories("home");
    ASSERT_FALSE(stories.ok());
    EXPECT_EQ(std::get<StoryAPIError>(stories.error()), StoryAPIError::httpStatus(code));
    auto vote =
        client.await<VoteResponse>([&](auto done) { client.api->recordVote("item", "option", done); });
    ASSERT_TRUE(vote && !vote->ok());
    EXPECT_EQ(std::get<StoryAPIError>(vote->error()), StoryAPIError::httpStatus(code));
    auto fallback = client.banners("five-hundreds");
    ASSERT_TRUE(fallback.ok());
    EXPECT_EQ(fallback.value(), good.value());
  }
}

TEST(MisbehavingService, TruncatedBodiesAreTransportErrors) {
  const auto body = sampleAnswer("stories");
  std::atomic<bool> chunked{false};
  MisbehavingService service([&](const httplib::Request&, httplib::Response& response) {
    const auto half = body.substr(0, body.size() / 2);
    auto sendHalfThenHangUp = [half](std::size_t offset, httplib::DataSink& sink) {
      if (offset == 0) sink.write(half.data(), half.size());
      return false;
    };
    if (chunked) {
      response.set_chunked_content_provider(
          "application/json",
          [=](std::size_t offset, httplib::DataSink& sink) { return sendHalfThenHangUp(offset, sink); });
    } else {
      // Promises the whole body, sends half of it.
      response.set_content_provider(body.size(), "application/json",
                                    [=](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                      return sendHalfThenHangUp(offset, sink);
                                    });
    }
  });
  auto& client = *service.client;
  for (bool withChunks : {false, true}) {
    chunked = withChunks;
    auto result = client.stories("home");
    ASSERT_FALSE(result.ok()) << (withChunks ? "chunked" : "with a length");
    EXPECT_NE(transportCode(result.error()), TransportError::Code::tooLarge);
  }
}

TEST(MisbehavingService, AnAnswerThatNeverEndsStopsAtTheCap) {
  CurlHttpSession::Options small;
  small.maxResponseBytes = 64 * 1024;
  MisbehavingService service(
      [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "application/json", [](std::size_t offset, httplib::DataSink& sink) {
              static const std::string chunk = "[" + std::string(8190, ' ') + "]";
              // Gives up on its own well past the cap, should the client keep reading.
              return offset < std::size_t{64} << 20 && sink.write(chunk.data(), chunk.size());
            });
      },
      small);
  auto& client = *service.client;
  auto stories = client.stories("home");
  ASSERT_FALSE(stories.ok());
  EXPECT_EQ(transportCode(stories.error()), TransportError::Code::tooLarge);
  auto banners = client.banners("never-ends");
  ASSERT_FALSE(banners.ok());
  EXPECT_EQ(transportCode(banners.error()), TransportError::Code::tooLarge);
}

}  // namespace
}  // namespace orvane::testing
