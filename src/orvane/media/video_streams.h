#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <orvane/media/video_stream.h>
#include <orvane/platform/http.h>
#include <orvane/platform/platform.h>
#include <orvane/platform/url.h>

namespace orvane {

// The SDK's one source of video streams: every view showing a URL, and the prefetch for a page yet
// to come, share one stream of it (and so one download at a time) while any of them holds it.
// Thread-safe.
class ORVANE_EXPORT VideoStreams {
 public:
  // How much of a video is fetched before its page opens: its first seconds at a story's rates.
  static constexpr std::size_t prefetchBytes = std::size_t{2} << 20;
  // Prefetched videos kept for pages yet to open: the next page and the next group's first.
  static constexpr std::size_t prefetchedKept = 2;

  // Built on first use from Platform::current(), which must provide an HTTP session by then.
  static VideoStreams& shared();

  explicit VideoStreams(std::shared_ptr<HttpSession> session, VideoStream::Options options = {});
  // Over the platform's transport, and its media disk cache when it keeps one: videos streamed
  // whole play from the disk after a restart.
  explicit VideoStreams(const Platform& platform, VideoStream::Options options = {});

  // The stream of `url` someone already holds, or a new one (not started).
  std::shared_ptr<VideoStream> stream(const Url& url);
  // Fetches the start of each video and keeps the latest few for the views that will play them.
  void prefetch(const std::vector<Url>& urls);
  // Lets go of the prefetched videos: the viewer that wanted them has closed. Those a view still
  // plays go on.
  void dropPrefetched();

 private:
  std::shared_ptr<HttpSession> session_;
  VideoStream::Options options_;
  std::mutex mutex_;
  std::unordered_map<Url, std::weak_ptr<VideoStream>> streams_;
  std::deque<std::shared_ptr<VideoStream>> prefetched_;
};

}  // namespace orvane
