// How long a small stories request takes while 8 large JPEGs decode, against the same request on
// an idle pipeline. Goal: within twice the idle time.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/platform/run_loop.h>
#include <orvane/platform/worker_pool.h>
#include <orvane/quick/platform/qt_image_decoder.h>
#include "bench/quick/cover_jpeg.h"
#include "bench/support/loopback_session.h"
#include "bench/support/stories_answer.h"

namespace {

using namespace orvane;
using SteadyClock = std::chrono::steady_clock;

constexpr int kImages = 8;
constexpr int kRounds = 9;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string stories = bench::storiesAnswer(10);
  const std::string& jpeg = bench::coverJpeg();

  auto loop = std::make_shared<RunLoop>();
  auto session = std::make_shared<bench::LoopbackSession>(
      [&](const std::string& url) { return url.find("/placements/") != std::string::npos ? stories : jpeg; });
  Platform platform;
  platform.http = session;
  platform.mainQueue = loop;
  StorySDK sdk(platform);
  sdk.configure(StoryConfiguration("sdk-key", "app-key"));
  StoryAPI api(session, sdk.session());
  StoryImagePipeline pipeline(session, std::make_shared<quick::QtImageDecoder>(), loop,
                              sdk.platform().workers);

  const auto storiesLatencyMs = [&] {
    const auto start = SteadyClock::now();
    double took = -1;
    api.fetchStories("home", [&](Result<std::vector<StoryGroup>> result) {
      if (result.ok()) took = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
    });
    loop->runUntil([&] { return took >= 0; }, std::chrono::seconds(60));
    return took;
  };

  std::vector<double> idle, busy;
  int next = 0;
  for (int round = 0; round < kRounds; ++round) {
    idle.push_back(storiesLatencyMs());

    // Eight full-screen covers not seen before, then the same request at once.
    int pending = kImages;
    for (int i = 0; i < kImages; ++i) {
      pipeline.image(*Url::parse("https://cdn.example.com/large/" + std::to_string(next++) + ".jpg"),
                     PixelSize{1080, 1920}, [&](std::shared_ptr<const Image>) { --pending; });
    }
    // The covers have arrived and are decoding: the transport is idle again.
    session->waitUntilAnswered();
    busy.push_back(storiesLatencyMs());
    loop->runUntil([&] { return pending == 0; }, std::chrono::seconds(120));
  }
  std::printf("Stories request (10 groups) latency, median of %d, %zu decoding threads\n", kRounds,
              WorkerPool::defaultThreadCount());
  std::printf("%-36s %12s\n", "", "ms");
  std::printf("%-36s %12.2f\n", "idle pipeline (baseline)", median(idle));
  std::printf("%-36s %12.2f\n", "while 8 x 12 MP JPEGs decode", median(busy));
  std::printf("%-36s %11.2fx   (goal: <= 2x)\n", "ratio", median(busy) / median(idle));
  return 0;
}
