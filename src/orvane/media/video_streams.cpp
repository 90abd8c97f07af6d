#include <orvane/media/video_streams.h>

#include <algorithm>
#include <stdexcept>

#include <orvane/media/cached_range_session.h>
#include <orvane/platform/platform.h>
#include <orvane/platform/system_platform.h>
#include <orvane/storage/cache_folders.h>

namespace orvane {
namespace {

std::shared_ptr<HttpSession> mediaSessionOf(const Platform& platform) {
  auto disk = mediaDiskCache(platform);
  if (!disk || !platform.workers) return platform.http;
  return CachedRangeSession::create(platform.http, std::move(disk), platform.workers,
                                    platform.clock ? platform.clock : std::make_shared<SystemClock>());
}

}  // namespace

VideoStreams& VideoStreams::shared() {
  static VideoStreams streams(Platform::current());
  return streams;
}

VideoStreams::VideoStreams(const Platform& platform, VideoStream::Options options)
    : VideoStreams(mediaSessionOf(platform), options) {}

VideoStreams::VideoStreams(std::shared_ptr<HttpSession> session, VideoStream::Options options)
    : session_(std::move(session)), options_(options) {
  if (!session_) throw std::invalid_argument("VideoStreams needs an HTTP session.");
}

std::shared_ptr<VideoStream> VideoStreams::stream(const Url& url) {
  std::lock_guard lock(mutex_);
  // Streams nobody holds any more are forgotten as new ones come.
  std::erase_if(streams_, [](const auto& entry) { return entry.second.expired(); });
  if (auto existing = streams_[url].lock()) return existing;
  auto created = VideoStream::create(url, session_, options_);
  streams_[url] = created;
  return created;
}

void VideoStreams::prefetch(const std::vector<Url>& urls) {
  for (const auto& url : urls) {
    auto video = stream(url);
    video->fetchAhead(prefetchBytes);
    std::lock_guard lock(mutex_);
    std::erase(prefetched_, video);
    prefetched_.push_back(std::move(video));
    while (prefetched_.size() > prefetchedKept) prefetched_.pop_front();
  }
}

void VideoStreams::dropPrefetched() {
  std::deque<std::shared_ptr<VideoStream>> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(prefetched_);
  }
}

}  // namespace orvane
