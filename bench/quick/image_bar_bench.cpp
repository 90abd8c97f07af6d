// A story bar of 20 bubbles whose covers are 12-megapixel JPEGs, scrolled to the end and back,
// with bubbles asking for their own size against the same bar asking for no size. Goal: every
// cover cached (no second download), under 32 MiB held, a quick first image.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <orvane/media/story_image_pipeline.h>
#include <orvane/platform/run_loop.h>
#include <orvane/platform/worker_pool.h>
#include <orvane/quick/platform/qt_image_decoder.h>
#include "bench/quick/cover_jpeg.h"
#include "bench/support/loopback_session.h"

namespace {

using namespace orvane;
using SteadyClock = std::chrono::steady_clock;

constexpr int kBubbles = 20;
constexpr int kVisible = 5;
// A 64-point bubble on a 2x screen.
constexpr PixelSize kBubblePixels{128, 128};

struct BarRun {
  std::size_t heldBytes = 0;
  std::size_t downloads = 0;
  double firstImageMs = 0;
  double totalMs = 0;
  bool allShown = true;
};

Url cover(int index) {
  return *Url::parse("https://cdn.example.com/covers/" + std::to_string(index) + ".jpg");
}

BarRun scroll(PixelSize bubbleSize) {
  auto loop = std::make_shared<RunLoop>();
  auto session =
      std::make_shared<bench::LoopbackSession>([](const std::string&) { return bench::coverJpeg(); });
  StoryImagePipeline pipeline(session, std::make_shared<quick::QtImageDecoder>(), loop,
                              std::make_shared<WorkerPool>());
  BarRun run;
  const auto start = SteadyClock::now();
  bool first = true;
  // Scrolling shows the bubbles a screenful at a time, each screenful once its images are in.
  const auto show = [&](const std::vector<int>& bubbles) {
    int pending = static_cast<int>(bubbles.size());
    for (int index : bubbles) {
      pipeline.image(cover(index), bubbleSize, [&](std::shared_ptr<const Image> image) {
        --pending;
        run.allShown = run.allShown && image != nullptr;
        if (first) {
          first = false;
          run.firstImageMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
        }
      });
    }
    loop->runUntil([&] { return pending == 0; }, std::chrono::seconds(120));
  };
  for (int at = 0; at < kBubbles; at += kVisible) {
    std::vector<int> screen;
    for (int index = at; index < at + kVisible; ++index) screen.push_back(index);
    show(screen);
  }
  for (int at = kBubbles - kVisible; at >= 0; at -= kVisible) {
    std::vector<int> screen;
    for (int index = at + kVisible - 1; index >= at; --index) screen.push_back(index);
    show(screen);
  }
  run.totalMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
  run.heldBytes = pipeline.cachedBytes();
  run.downloads = session->requestCount();
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  std::printf(
      "Story bar of %d bubbles with 12 MP JPEG covers (%zu bytes each), scrolled to the end and back\n",
      kBubbles, bench::coverJpeg().size());
  const BarRun sized = scroll(kBubblePixels);
  const BarRun unsized = scroll({});
  const auto mib = [](std::size_t bytes) { return static_cast<double>(bytes) / (1 << 20); };
  std::printf("%-28s %16s %20s %8s\n", "", "bubble-sized", "unsized (baseline)", "ratio");
  std::printf("%-28s %16.2f %20.2f %7.3fx   (goal: < 32 MiB)\n", "decoded MiB held", mib(sized.heldBytes),
              mib(unsized.heldBytes), mib(sized.heldBytes) / mib(unsized.heldBytes));
  std::printf("%-28s %16zu %20zu %7.3fx   (goal: %d, no second download)\n", "downloads", sized.downloads,
              unsized.downloads,
              static_cast<double>(sized.downloads) / static_cast<double>(unsized.downloads), kBubbles);
  std::printf("%-28s %16.1f %20.1f %7.3fx\n", "first bubble image (ms)", sized.firstImageMs,
              unsized.firstImageMs, sized.firstImageMs / unsized.firstImageMs);
  std::printf("%-28s %16.1f %20.1f %7.3fx\n", "whole scroll (ms)", sized.totalMs, unsized.totalMs,
              sized.totalMs / unsized.totalMs);
  return sized.allShown && unsized.allShown ? 0 : 1;
}
