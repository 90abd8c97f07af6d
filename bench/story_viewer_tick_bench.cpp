// What one firing of the viewer's progress timer costs, from the timer to the published change.
#include <benchmark/benchmark.h>

#include <deque>
#include <memory>
#include <vector>

#include <orvane/core/story_sdk.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/stories/story_viewer_view_model.h>

namespace orvane {
namespace {

// A main queue pumped by hand: each pump fires every live timer once, then runs what they posted.
class PumpedQueue final : public MainQueue {
 public:
  void post(std::function<void()> task) override { tasks_.push_back(std::move(task)); }

  std::shared_ptr<Timer> schedule(Microseconds, bool repeats, std::function<void()> block) override {
    auto timer = std::make_shared<Entry>(repeats, std::move(block));
    timers_.push_back(timer);
    return timer;
  }

  bool isMainThread() const override { return true; }

  void pump() {
    for (std::size_t index = 0; index < timers_.size(); ++index) {
      auto timer = timers_[index];
      if (!timer->valid) continue;
      if (!timer->repeats) timer->valid = false;
      timer->block();
    }
    std::erase_if(timers_, [](const auto& timer) { return !timer->valid; });
    while (!tasks_.empty()) {
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      task();
    }
  }

 private:
  struct Entry final : Timer {
    Entry(bool repeating, std::function<void()> fire) : repeats(repeating), block(std::move(fire)) {}
    void invalidate() override { valid = false; }
    bool repeats;
    std::function<void()> block;
    bool valid = true;
  };

  std::vector<std::shared_ptr<Entry>> timers_;
  std::deque<std::function<void()>> tasks_;
};

// The service is never reached: every exchange fails at once.
class OfflineSession final : public HttpSession {
 public:
  void send(HttpRequest, std::function<void(HttpResult)> completion) override {
    completion(
        HttpResult{std::nullopt, std::nullopt, TransportError{TransportError::Code::connection, "offline"}});
  }
};

class NoImages final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view, const ImageDecodeLimits&) const override {
    return nullptr;
  }
};

StoryGroup longPageGroup() {
  // Long enough that no benchmark run reaches the end of the page.
  StoryItem item("page", std::nullopt, std::nullopt, StoryMediaType::image, std::nullopt, 1e12, std::nullopt,
                 std::nullopt, WidgetType::none, std::nullopt, std::nullopt, {}, std::nullopt);
  return StoryGroup("group", "Group", StoryTheme::default_(), std::nullopt, {item});
}

void BM_ViewerTick(benchmark::State& state) {
  auto queue = std::make_shared<PumpedQueue>();
  auto session = std::make_shared<OfflineSession>();
  Platform platform;
  platform.http = session;
  platform.mainQueue = queue;
  StorySDK sdk(platform);
  StoryImagePipeline pipeline(session, std::make_shared<NoImages>(), queue, sdk.platform().workers);

  auto viewer = StoryViewerViewModel::create({longPageGroup()}, 0, "home", sdk.services(), pipeline);
  // A binding that only notes that it must redraw, as a toolkit wrapper does.
  int changes = 0;
  auto subscription = viewer->observe([&] { ++changes; });
  viewer->start();
  queue->pump();  // the start's prefetch and the one-shot page-viewed timer

  for (auto _ : state) queue->pump();
  benchmark::DoNotOptimize(viewer->progress());
  benchmark::DoNotOptimize(changes);
}
BENCHMARK(BM_ViewerTick);

}  // namespace
}  // namespace orvane

BENCHMARK_MAIN();
