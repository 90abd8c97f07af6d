// What a view pays to show an image that is already in memory.
#include <benchmark/benchmark.h>

#include <charconv>
#include <memory>
#include <string>

#include <orvane/media/story_image_pipeline.h>
#include <orvane/platform/run_loop.h>

namespace orvane {
namespace {

class SquareImage final : public Image {
 public:
  explicit SquareImage(int side) : side_(side) {}
  int width() const override { return side_; }
  int height() const override { return side_; }

 private:
  int side_;
};

// Bytes are the decimal side of a square image.
class SquareDecoder final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view bytes, const ImageDecodeLimits&) const override {
    int side = 0;
    std::from_chars(bytes.data(), bytes.data() + bytes.size(), side);
    return std::make_shared<SquareImage>(side);
  }
};

// Answers at once on the calling thread; only the cache warm-up downloads anything.
class InstantSession final : public HttpSession {
 public:
  void send(HttpRequest, std::function<void(HttpResult)> completion) override {
    completion(HttpResult{"64", HttpResponse{200, {}}, std::nullopt});
  }
};

Url imageUrl(std::int64_t index) {
  return *Url::parse("https://cdn.example.com/stories/page-" + std::to_string(index) + ".jpg");
}

// A pipeline holding `count` small images, all loaded.
struct WarmPipeline {
  explicit WarmPipeline(std::int64_t count) {
    for (std::int64_t index = 0; index < count; ++index) pipeline.prefetch(imageUrl(index));
    loop->runUntil([&] { return pipeline.cachedImage(imageUrl(count - 1)) != nullptr; },
                   std::chrono::seconds(10));
  }
  std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
  StoryImagePipeline pipeline{std::make_shared<InstantSession>(), std::make_shared<SquareDecoder>(), loop,
                              std::make_shared<WorkerPool>()};
};

void BM_CachedImage(benchmark::State& state) {
  WarmPipeline warm(state.range(0));
  const auto url = imageUrl(state.range(0) / 2);
  for (auto _ : state) benchmark::DoNotOptimize(warm.pipeline.cachedImage(url));
}
BENCHMARK(BM_CachedImage)->Arg(1)->Arg(256);

void BM_ImageCacheHitThroughMainQueue(benchmark::State& state) {
  WarmPipeline warm(state.range(0));
  const auto url = imageUrl(state.range(0) / 2);
  for (auto _ : state) {
    bool delivered = false;
    warm.pipeline.image(url, [&](const std::shared_ptr<const Image>& image) {
      benchmark::DoNotOptimize(image);
      delivered = true;
    });
    warm.loop->runUntil([&] { return delivered; }, std::chrono::seconds(1));
  }
}
BENCHMARK(BM_ImageCacheHitThroughMainQueue)->Arg(1)->Arg(256);

}  // namespace
}  // namespace orvane

BENCHMARK_MAIN();
