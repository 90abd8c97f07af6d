#include <orvane/media/story_image_pipeline.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <stop_token>
#include <thread>

#include <orvane/media/image_memory_cache.h>
#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

Url url(const std::string& name) { return *Url::parse("https://cdn.example.com/" + name); }

struct Delivery {
  int calls = 0;
  std::shared_ptr<const Image> image;
  std::thread::id thread;
};

std::shared_ptr<Delivery> load(StoryImagePipeline& pipeline, const Url& target,
                               std::stop_token consumer = {}) {
  auto delivery = std::make_shared<Delivery>();
  pipeline.image(
      target,
      [delivery](std::shared_ptr<const Image> image) {
        ++delivery->calls;
        delivery->image = std::move(image);
        delivery->thread = std::this_thread::get_id();
      },
      std::move(consumer));
  return delivery;
}

// Decodes like the fake, noting its thread; a careless one ignores the caps as a real decoder might.
class TestDecoder final : public ImageDecoder {
 public:
  explicit TestDecoder(bool careless = false) : careless_(careless) {}
  std::shared_ptr<const Image> decode(std::string_view bytes,
                                      const ImageDecodeLimits& limits) const override {
    thread = std::this_thread::get_id();
    return FakeImageDecoder().decode(bytes, careless_ ? ImageDecodeLimits{{}, INT64_MAX, INT64_MAX} : limits);
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
    return StoryImagePipeline(fake.http, fake.imageDecoder, fake.mainQueue, fake.workers, options);
  }

  FakePlatform fake;
  StoryImagePipeline pipeline{fake.http, fake.imageDecoder, fake.mainQueue, fake.workers};
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
  fake.workers->waitUntilIdle();
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

TEST_F(StoryImagePipelineTest, ADownloadIsCancelledOnceEveryCallerWithdrewAndNoPrefetchWantsIt) {
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:1x1")},
         {url("b").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  std::stop_source firstView;
  std::stop_source secondView;
  auto first = load(pipeline, url("a"), firstView.get_token());
  auto second = load(pipeline, url("a"), secondView.get_token());
  ASSERT_EQ(downloads(), 1u);
  const auto transfer = fake.http->requests().front();
  EXPECT_EQ(transfer.lane, HttpRequest::Lane::media);

  firstView.request_stop();
  fake.mainQueue->drain();
  EXPECT_FALSE(transfer.cancellation.stop_requested()) << "another view still waits";
  secondView.request_stop();
  fake.mainQueue->drain();
  EXPECT_TRUE(transfer.cancellation.stop_requested());

  // A view coming back starts afresh rather than joining the cancelled download.
  auto back = load(pipeline, url("a"));
  EXPECT_EQ(downloads(), 2u);
  EXPECT_FALSE(fake.http->requests().back().cancellation.stop_requested());
  fake.settle();
  EXPECT_EQ(first->calls, 0);
  EXPECT_EQ(second->calls, 0);
  EXPECT_EQ(back->calls, 1);
  EXPECT_TRUE(back->image);

  // A withdrawn caller hears nothing, even of a cached image already on its way.
  std::stop_source cachedView;
  auto fromCache = load(pipeline, url("a"), cachedView.get_token());
  cachedView.request_stop();
  fake.mainQueue->drain();
  EXPECT_EQ(fromCache->calls, 0);

  // Prefetched images are for views yet to come: a view withdrawing leaves the download running.
  std::stop_source view;
  pipeline.prefetch(url("b"));
  auto withdrawn = load(pipeline, url("b"), view.get_token());
  view.request_stop();
  fake.mainQueue->drain();
  EXPECT_FALSE(fake.http->requests().back().cancellation.stop_requested());
  fake.settle();
  EXPECT_EQ(withdrawn->calls, 0);
  EXPECT_TRUE(pipeline.cachedImage(url("b")));
}

TEST_F(StoryImagePipelineTest, FailuresGiveEveryCallerNoImageAndAreRetriedNextTimeButAnyImageBytesCount) {
  const std::map<std::string, HttpResult> failures = {
      {"transport", ScriptedHttpSession::failure()},
      {"html404", ScriptedHttpSession::status(404, "<html>Not Found</html>")},
      {"empty", ScriptedHttpSession::ok("")},
      {"errorWithBytes", HttpResult{"IMG:1x1", HttpResponse{200, {}}, TransportError{}}},
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

TEST_F(StoryImagePipelineTest, TheCacheIsBoundedByItsEntryCount) {
  auto small = make({.maxEntries = 2});
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("b").string(), ScriptedHttpSession::ok("IMG:10x10")},
         {url("c").string(), ScriptedHttpSession::ok("IMG:10x10")}});
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
}

TEST_F(StoryImagePipelineTest, ImagesAreDecodedForTheLargestSizeAskedAndUpgradedByALargerAsk) {
  serve({{url("cover").string(), ScriptedHttpSession::ok("IMG:4000x3000")}});
  const auto sized = [&](PixelSize size) {
    auto delivery = std::make_shared<Delivery>();
    pipeline.image(url("cover"), size, [delivery](std::shared_ptr<const Image> image) {
      ++delivery->calls;
      delivery->image = std::move(image);
    });
    return delivery;
  };

  // Two bubbles ask before the bytes arrive: one decode covers the larger, aspect kept.
  auto bubble = sized({64, 64});
  auto larger = sized({128, 128});
  fake.settle();
  ASSERT_TRUE(bubble->image);
  EXPECT_EQ(bubble->image, larger->image);
  EXPECT_EQ(bubble->image->width(), 171);
  EXPECT_EQ(bubble->image->height(), 128);

  auto again = sized({100, 50});
  fake.settle();
  EXPECT_EQ(again->image, bubble->image);
  EXPECT_EQ(downloads(), 1u);

  // A full-screen viewer needs more: the entry is replaced, and the small one shows meanwhile.
  auto page = sized({720, 1280});
  EXPECT_EQ(pipeline.cachedImage(url("cover")), bubble->image);
  fake.settle();
  EXPECT_EQ(downloads(), 2u);
  ASSERT_TRUE(page->image);
  EXPECT_EQ(page->image->height(), 1280);
  EXPECT_EQ(pipeline.cachedImage(url("cover")), page->image);
  EXPECT_EQ(pipeline.cachedBytes(), ImageMemoryCache::costOf(url("cover"), *page->image));
  sized({64, 64});
  fake.settle();
  EXPECT_EQ(downloads(), 2u);
}

TEST_F(StoryImagePipelineTest, ImagesTooBigForTheBudgetAreDecodedSmallerAndCached) {
  // A quarter of 4 MiB is 262,144 pixels; the 36 MP source is under the source cap.
  auto tight = make({.memoryBudgetBytes = std::size_t{4} << 20});
  serve({{url("huge").string(), ScriptedHttpSession::ok("IMG:6000x6000")},
         {url("small").string(), ScriptedHttpSession::ok("IMG:300x200")}});
  auto huge = load(tight, url("huge"));
  std::shared_ptr<const Image> small;
  tight.image(url("small"), PixelSize{1000, 1000},
              [&](std::shared_ptr<const Image> image) { small = image; });
  fake.settle();
  ASSERT_TRUE(huge->image);
  EXPECT_LE(huge->image->width() * huge->image->height(), 262'144);
  EXPECT_GE(huge->image->width(), 500);
  EXPECT_EQ(tight.cachedImage(url("huge")), huge->image);

  // An image smaller than asked for is as large as it gets: it serves every later size.
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width(), 300);
  tight.image(url("small"), PixelSize{3000, 2000}, [](auto) {});
  load(tight, url("huge"));
  fake.settle();
  EXPECT_EQ(downloads(), 2u);
}

TEST_F(StoryImagePipelineTest, ImagesBeyondThePixelCapAreRefusedEvenByACarelessDecoder) {
  StoryImagePipeline::Options capped{.maxSourcePixels = 100};
  auto withFake = make(capped);
  StoryImagePipeline withUncapped(fake.http, std::make_shared<TestDecoder>(true), fake.mainQueue,
                                  fake.workers, capped);
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

TEST_F(StoryImagePipelineTest, DecodingRunsOnAWorkerAndCompletionOnTheMainThread) {
  auto decoder = std::make_shared<TestDecoder>();
  StoryImagePipeline recording(fake.http, decoder, fake.mainQueue, fake.workers);
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  auto loaded = load(recording, url("a"));

  std::thread session([&] { fake.http->deliver(); });
  const auto sessionThread = session.get_id();
  session.join();
  fake.workers->waitUntilIdle();
  EXPECT_NE(decoder->thread, sessionThread);
  EXPECT_NE(decoder->thread, std::this_thread::get_id());
  EXPECT_EQ(loaded->calls, 0);

  fake.mainQueue->drain();
  EXPECT_EQ(loaded->calls, 1);
  EXPECT_EQ(loaded->thread, std::this_thread::get_id());
  EXPECT_TRUE(recording.cachedImage(url("a")));
}

TEST_F(StoryImagePipelineTest, LateDownloadsAndMissingPiecesAreHandledWithoutCrashing) {
  serve({{url("a").string(), ScriptedHttpSession::ok("IMG:2x2")}});
  auto shortLived =
      std::make_unique<StoryImagePipeline>(fake.http, fake.imageDecoder, fake.mainQueue, fake.workers);
  auto loaded = load(*shortLived, url("a"));
  fake.http->deliver();
  fake.workers->waitUntilIdle();
  shortLived.reset();
  fake.settle();
  EXPECT_EQ(loaded->calls, 0);

  EXPECT_THROW(StoryImagePipeline(nullptr, fake.imageDecoder, fake.mainQueue, fake.workers),
               std::invalid_argument);
  EXPECT_THROW(StoryImagePipeline(fake.http, nullptr, fake.mainQueue, fake.workers), std::invalid_argument);
  EXPECT_THROW(StoryImagePipeline(fake.http, fake.imageDecoder, nullptr, fake.workers),
               std::invalid_argument);
  EXPECT_THROW(StoryImagePipeline(fake.http, fake.imageDecoder, fake.mainQueue, nullptr),
               std::invalid_argument);
  pipeline.image(url("a"), nullptr);
  fake.settle();
  EXPECT_TRUE(pipeline.cachedImage(url("a"))) << "a call without a completion is a prefetch";
}

}  // namespace
}  // namespace orvane::testing
