#include "media/story_image_pipeline.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <thread>

#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

Url url(const std::string& name) { return *Url::parse("https://cdn.example.com/" + name); }

struct Delivery {
  int calls = 0;
  std::shared_ptr<const Image> image;
  std::thread::id thread;
};

std::shared_ptr<Delivery> load(StoryImagePipeline& pipeline, const Url& target) {
  auto delivery = std::make_shared<Delivery>();
  pipeline.image(target, [delivery](std::shared_ptr<const Image> image) {
    ++delivery->calls;
    delivery->image = std::move(image);
    delivery->thread = std::this_thread::get_id();
  });
  return delivery;
}

// Decodes like the fake, noting its thread; a careless one ignores the pixel cap as a real decoder might.
class TestDecoder final : public ImageDecoder {
 public:
  explicit TestDecoder(bool careless = false) : careless_(careless) {}
  std::shared_ptr<const Image> decode(std::string_view bytes, std::int64_t maxPixels) const override {
    thread = std::this_thread::get_id();
    return FakeImageDecoder().decode(bytes, careless_ ? INT64_MAX : maxPixels);
  }
  mutable std::thread::id thread;

 private:
  bool careless_;
};

class StoryImagePipelineTest : public ::testing::Test {
 protected:
  // Answers by URL text; anything else is a 404 without a body.
  void serve(std::map<std::string, HttpResult> answers) {
    fake.http->setResponder([answers = std::move(answers)](const HttpRequest& request) {
      auto found = answers.find(request.url.string());
      return found == answers.end() ? ScriptedHttpSession::status(404) : found->second;
    });
  }
  std::size_t downloads() const { return fake.http->requests().size(); }

  StoryImagePipeline make(StoryImagePipeline::Options options) {
    return StoryImagePipeline(fake.http, fake.imageDecoder, fake.mainQueue, options);
  }

  FakePlatform fake;
  StoryImagePipeline pipeline{fake.http, fake.imageDecoder, fake.mainQueue};
};

TEST_F(StoryImagePipelineTest, CallersShareOneDownloadAndLaterOnesAreServedFromMemoryOnTheMainQueue) {
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:10x20")},
         {url("b").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  auto first = load(pipeline, url("a"));
  auto second = load(pipeline, url("a"));

  ASSERT_EQ(downloads(), 1u);
  const auto request = fake.http->requests().front();
  EXPECT_EQ(request.url, url("a"));
  EXPECT_EQ(request.method, "GET");
  EXPECT_TRUE(request.headers.empty());
  EXPECT_FALSE(request.body);

  fake.http->deliver();
  EXPECT_EQ(first->calls, 0) << "the result hops to the main queue before anyone is completed";
  fake.mainQueue->drain();

  EXPECT_EQ(first->calls, 1);
  EXPECT_EQ(second->calls, 1);
  ASSERT_TRUE(first->image);
  EXPECT_EQ(first->image, second->image);
  EXPECT_EQ(first->image->width(), 10);
  EXPECT_EQ(first->image->height(), 20);
  EXPECT_EQ(pipeline.cachedImage(url("a")), first->image);

  auto again = load(pipeline, url("a"));
  EXPECT_EQ(again->calls, 0);
  EXPECT_EQ(fake.http->pendingCount(), 0u);
  fake.mainQueue->drain();
  EXPECT_EQ(again->calls, 1);
  EXPECT_EQ(again->image, first->image);

  // The image is cached before anyone is completed: a completion asking again needs no download.
  std::shared_ptr<Delivery> nested;
  pipeline.image(url("b"), [&](const std::shared_ptr<const Image>&) { nested = load(pipeline, url("b")); });
  fake.settle();
  ASSERT_TRUE(nested);
  EXPECT_EQ(nested->calls, 1);
  EXPECT_TRUE(nested->image);
  EXPECT_EQ(downloads(), 2u);
}

TEST_F(StoryImagePipelineTest, PrefetchesSkipAbsentCachedAndRunningUrlsAndAreJoinedByLaterCalls) {
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:1x1")},
         {url("b").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  pipeline.prefetch(std::optional<Url>());
  EXPECT_EQ(downloads(), 0u);

  pipeline.prefetch(url("a"));
  auto joined = load(pipeline, url("a"));
  pipeline.prefetch({std::nullopt, url("b"), url("b")});
  EXPECT_EQ(downloads(), 2u);

  fake.settle();
  ASSERT_TRUE(joined->image);
  EXPECT_EQ(joined->image->width(), 1);
  EXPECT_EQ(joined->image, pipeline.cachedImage(url("a")));
  ASSERT_TRUE(pipeline.cachedImage(url("b")));

  pipeline.prefetch({url("a"), url("b")});
  EXPECT_EQ(downloads(), 2u);
}

TEST_F(StoryImagePipelineTest, FailuresGiveEveryCallerNoImageAndAreRetriedNextTimeButAnyImageBytesCount) {
  const std::map<std::string, HttpResult> failures = {
      {"transport", ScriptedHttpSession::failure()},
      {"html404", ScriptedHttpSession::status(404, "<html>Not Found</html>")},
      {"empty", ScriptedHttpSession::ok("")},
      {"errorWithBytes", HttpResult{"IMG:1x1", HttpResponse{200}, TransportError{}}},
  };
  std::map<std::string, HttpResult> answers;
  for (const auto& [name, result] : failures) answers.emplace(url(name).string(), result);
  serve(answers);

  for (const auto& [name, result] : failures) {
    SCOPED_TRACE(name);
    const auto before = downloads();
    auto first = load(pipeline, url(name));
    auto second = load(pipeline, url(name));
    fake.settle();
    EXPECT_EQ(downloads(), before + 1);
    EXPECT_EQ(first->calls, 1);
    EXPECT_EQ(second->calls, 1);
    EXPECT_FALSE(first->image);
    EXPECT_FALSE(second->image);
    EXPECT_FALSE(pipeline.cachedImage(url(name)));

    load(pipeline, url(name));
    EXPECT_EQ(downloads(), before + 2);
    fake.settle();
  }

  // Whereas image bytes are used whatever the status.
  serve({{url("missing").string(), ScriptedHttpSession::status(404, "IMG:3x3")}});
  auto loaded = load(pipeline, url("missing"));
  fake.settle();
  ASSERT_TRUE(loaded->image);
  EXPECT_EQ(pipeline.cachedImage(url("missing")), loaded->image);
}

TEST_F(StoryImagePipelineTest, TheCacheIsBoundedByDecodedBytes) {
  // Room for two 10x10 images (400 bytes each).
  auto small = make({.memoryBudgetBytes = 800});
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("b").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("c").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("huge").string(), ScriptedHttpSession::ok("IMG:20x20")}});
  load(small, url("a"));
  load(small, url("b"));
  fake.settle();
  EXPECT_TRUE(small.cachedImage(url("a")));  // b is now the least recently used
  load(small, url("c"));
  fake.settle();
  EXPECT_FALSE(small.cachedImage(url("b")));
  EXPECT_EQ(downloads(), 3u);

  load(small, url("a"));
  load(small, url("b"));
  EXPECT_EQ(downloads(), 4u) << "only the evicted image is fetched again";
  fake.settle();

  auto huge = load(small, url("huge"));
  fake.settle();
  ASSERT_TRUE(huge->image) << "too big to cache is still shown";
  EXPECT_FALSE(small.cachedImage(url("huge")));
  EXPECT_TRUE(small.cachedImage(url("b")));
  load(small, url("huge"));
  EXPECT_EQ(downloads(), 6u);
  fake.settle();
}

TEST_F(StoryImagePipelineTest, ImagesBeyondThePixelCapAreRefusedEvenByACarelessDecoder) {
  StoryImagePipeline::Options capped{.maxDecodedPixels = 100};
  auto withFake = make(capped);
  StoryImagePipeline withUncapped(fake.http, std::make_shared<TestDecoder>(true), fake.mainQueue, capped);
  serve({{url("fits").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("bomb").string(), ScriptedHttpSession::ok("IMG:50000x50000")}});

  for (auto* pipelineUnderTest : {&withFake, &withUncapped}) {
    auto fits = load(*pipelineUnderTest, url("fits"));
    auto bomb = load(*pipelineUnderTest, url("bomb"));
    fake.settle();
    EXPECT_TRUE(fits->image);
    EXPECT_EQ(bomb->calls, 1);
    EXPECT_FALSE(bomb->image);
    EXPECT_FALSE(pipelineUnderTest->cachedImage(url("bomb")));
  }
}

TEST_F(StoryImagePipelineTest, DecodingRunsOnTheSessionThreadAndCompletionOnTheMainThread) {
  auto decoder = std::make_shared<TestDecoder>();
  StoryImagePipeline recording(fake.http, decoder, fake.mainQueue);
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  auto loaded = load(recording, url("a"));

  std::thread session([&] { fake.http->deliver(); });
  const auto sessionThread = session.get_id();
  session.join();
  EXPECT_EQ(decoder->thread, sessionThread);
  EXPECT_EQ(loaded->calls, 0);

  fake.mainQueue->drain();
  EXPECT_EQ(loaded->calls, 1);
  EXPECT_EQ(loaded->thread, std::this_thread::get_id());
  EXPECT_TRUE(recording.cachedImage(url("a")));
}

TEST_F(StoryImagePipelineTest, LateDownloadsAndMissingPiecesAreHandledWithoutCrashing) {
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  auto shortLived = std::make_unique<StoryImagePipeline>(fake.http, fake.imageDecoder, fake.mainQueue);
  auto loaded = load(*shortLived, url("a"));
  fake.http->deliver();
  shortLived.reset();
  fake.settle();
  EXPECT_EQ(loaded->calls, 0);

  EXPECT_THROW(StoryImagePipeline(nullptr, fake.imageDecoder, fake.mainQueue), std::invalid_argument);
  EXPECT_THROW(StoryImagePipeline(fake.http, nullptr, fake.mainQueue), std::invalid_argument);
  EXPECT_THROW(StoryImagePipeline(fake.http, fake.imageDecoder, nullptr), std::invalid_argument);
  pipeline.image(url("a"), nullptr);
  fake.settle();
  EXPECT_TRUE(pipeline.cachedImage(url("a"))) << "a call without a completion is a prefetch";
}

}  // namespace
}  // namespace orvane::testing
