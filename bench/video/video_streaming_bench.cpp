// Time to a story video's first frame over a loopback link throttled to 10 Mbit/s, streamed in
// ranges beside the whole-file download it replaced, and whether a 200 MB video plays within the
// stream's memory bound. The videos are made with ffmpeg by bench/video/make_videos.sh into the
// folder ORVANE_BENCH_VIDEOS names; without it the benchmark says so and stops.
#include <httplib.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMediaPlayer>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include <orvane/media/video_streams.h>
#include <orvane/platform/curl_http_session.h>
#include <orvane/quick/media/story_video_source.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr double kLinkBitsPerSecond = 10e6;

// Serves the files of a folder with byte ranges, each connection paced to `bitsPerSecond` (0: as
// fast as loopback goes), like one client's share of a slow link.
class ThrottledServer {
 public:
  ThrottledServer(fs::path folder, double bitsPerSecond) : folder_(std::move(folder)), rate_(bitsPerSecond / 8) {
    server_.Get(R"(/(\w[\w.-]*))", [this](const httplib::Request& request, httplib::Response& response) {
      const auto file = folder_ / request.matches[1].str();
      std::error_code error;
      const auto size = fs::file_size(file, error);
      if (error) {
        response.status = 404;
        return;
      }
      response.set_content_provider(
          size, "video/mp4", [this, file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::ifstream in(file, std::ios::binary);
            in.seekg(static_cast<std::streamoff>(offset));
            // 10 ms slices keep the pace even, as a router's queue would.
            const auto slice = rate_ > 0 ? static_cast<std::size_t>(rate_ / 100) : std::size_t{256} << 10;
            std::string buffer(slice, '\0');
            auto next = std::chrono::steady_clock::now();
            for (std::size_t sent = 0; sent < length;) {
              const auto count = std::min(slice, length - sent);
              in.read(buffer.data(), static_cast<std::streamsize>(count));
              if (!sink.write(buffer.data(), count)) return false;
              sent += count;
              if (rate_ > 0) {
                next += 10ms;
                std::this_thread::sleep_until(next);
              }
            }
            return true;
          });
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(1ms);
  }
  ~ThrottledServer() {
    server_.stop();
    thread_.join();
  }
  QUrl url(const std::string& name) const {
    return QUrl(QString::fromStdString("http://127.0.0.1:" + std::to_string(port_) + "/" + name));
  }

 private:
  fs::path folder_;
  double rate_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

// The process's peak resident memory so far, in MiB.
double peakResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  return 0;
}

struct Playback {
  double firstFrameSeconds = -1;
  double playedSeconds = 0;
  std::size_t peakStreamBytes = 0;
};

// Plays `url` until its first frame, then for `playFor` more; streamed through the SDK.
Playback streamed(const QUrl& url, std::chrono::milliseconds playFor) {
  auto streams = std::make_shared<orvane::VideoStreams>(std::make_shared<orvane::CurlHttpSession>());
  QMediaPlayer player;
  QVideoSink sink;
  player.setVideoSink(&sink);
  orvane::quick::StoryVideoSource source;
  source.setStreams(streams);
  Playback result;
  QElapsedTimer clock;
  QEventLoop loop;
  QObject::connect(&sink, &QVideoSink::videoFrameChanged, &loop, [&](const QVideoFrame& frame) {
    if (!frame.isValid() || result.firstFrameSeconds >= 0) return;
    result.firstFrameSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    QTimer::singleShot(playFor, &loop, &QEventLoop::quit);
  });
  QObject::connect(&source, &orvane::quick::StoryVideoSource::statusChanged, &loop, [&] {
    if (source.status() == orvane::quick::StoryVideoSource::Error) loop.quit();
  });
  QTimer::singleShot(120s, &loop, &QEventLoop::quit);
  clock.start();
  source.setPlayer(&player);
  source.setUrl(url);
  auto stream = streams->stream(*orvane::Url::parse(url.toString().toStdString()));
  loop.exec();
  result.playedSeconds = static_cast<double>(player.position()) / 1000;
  result.peakStreamBytes = stream->peakHeldBytes();
  player.stop();
  return result;
}

// The path this replaced: the whole file downloaded (at most 32 MiB), then played from memory.
double wholeFileFirstFrame(const QUrl& url) {
  orvane::CurlHttpSession session;
  QElapsedTimer clock;
  clock.start();
  std::promise<orvane::HttpResult> answer;
  orvane::HttpRequest request{.url = *orvane::Url::parse(url.toString().toStdString()),
                              .headers = {},
                              .body = std::nullopt,
                              .maxResponseBytes = std::nullopt};
  request.lane = orvane::HttpRequest::Lane::media;
  session.send(std::move(request), [&answer](orvane::HttpResult result) { answer.set_value(std::move(result)); });
  const auto result = answer.get_future().get();
  if (!result.data) return -1;
  QBuffer buffer;
  buffer.setData(QByteArray::fromStdString(*result.data));
  buffer.open(QIODevice::ReadOnly);
  QMediaPlayer player;
  QVideoSink sink;
  player.setVideoSink(&sink);
  QEventLoop loop;
  double seconds = -1;
  QObject::connect(&sink, &QVideoSink::videoFrameChanged, &loop, [&](const QVideoFrame& frame) {
    if (!frame.isValid() || seconds >= 0) return;
    seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    loop.quit();
  });
  QTimer::singleShot(30s, &loop, &QEventLoop::quit);
  player.setSourceDevice(&buffer);
  player.play();
  loop.exec();
  player.stop();
  return seconds;
}

void row(const char* what, double seconds, const char* baseline, double baselineSeconds) {
  std::printf("  %-44s %8.2f s   | %-36s %8.2f s\n", what, seconds, baseline, baselineSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  QGuiApplication application(argc, argv);
  const auto folder = qEnvironmentVariable("ORVANE_BENCH_VIDEOS").toStdString();
  if (folder.empty() || !fs::exists(fs::path(folder) / "video-20mb.mp4")) {
    std::cout << "video streaming: skipped (ORVANE_BENCH_VIDEOS names no folder with the made videos)\n";
    return 0;
  }
  ThrottledServer slow(folder, kLinkBitsPerSecond);
  ThrottledServer fast(folder, 0);

  std::cout << "Story video over loopback throttled to 10 Mbit/s (streamed in ranges | baseline)\n";
  const auto small = streamed(slow.url("video-20mb.mp4"), 3s);
  const auto smallFast = streamed(fast.url("video-20mb.mp4"), 0s);
  row("20 MB video, first frame, streamed", small.firstFrameSeconds, "same, unthrottled link", smallFast.firstFrameSeconds);
  const auto whole = wholeFileFirstFrame(slow.url("video-20mb.mp4"));
  row("20 MB video, first frame, streamed", small.firstFrameSeconds, "whole file first (old path)", whole);

  const auto large = streamed(slow.url("video-200mb.mp4"), 10s);
  row("200 MB video, first frame, streamed", large.firstFrameSeconds, "whole file first (old path)", -1);
  std::printf("  200 MB video played %.1f s of video in 10 s after its first frame (old path: refused above 32 MiB)\n",
              large.playedSeconds);
  std::printf("  stream memory at its peak: 20 MB video %.1f MiB, 200 MB video %.1f MiB (bound 16 MiB); "
              "process peak resident %.0f MiB\n",
              static_cast<double>(small.peakStreamBytes) / (1 << 20),
              static_cast<double>(large.peakStreamBytes) / (1 << 20), peakResidentMiB());
  const bool ok = small.firstFrameSeconds >= 0 && small.firstFrameSeconds <= 1.0 && large.firstFrameSeconds >= 0 &&
                  large.playedSeconds > 5 && large.peakStreamBytes <= (std::size_t{16} << 20);
  std::cout << (ok ? "  targets met" : "  TARGETS MISSED") << "\n";
  return 0;
}
