#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

#include <orvane/platform/clock.h>
#include <orvane/platform/http.h>
#include <orvane/platform/image.h>
#include <orvane/platform/main_queue.h>
#include <orvane/platform/url.h>
#include <orvane/platform/worker_pool.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

class ImageDiskTier;

struct ORVANE_EXPORT StoryImagePipelineOptions {
  // The most the cache holds, as the sum of its entries' costs (about eight full-screen pages).
  std::size_t memoryBudgetBytes = std::size_t{64} * 1024 * 1024;
  // The most images the cache holds, however small.
  std::size_t maxEntries = 1000;
  // A few kilobytes of compressed data can claim gigabytes once decoded; larger sources are refused.
  std::int64_t maxSourcePixels = 40'000'000;
  // Where downloaded images are kept across restarts, beneath the memory cache; null: nowhere.
  std::shared_ptr<DiskCache> disk = nullptr;
  // Tells when a kept image has gone stale; the system's clock when unset.
  std::shared_ptr<Clock> clock = nullptr;
};

// The SDK's one loader of still images: downloads each URL at most once at a time however many
// views and prefetchers ask for it, decodes it no larger than the largest size asked for, and
// keeps the result in a memory cache bounded by what its entries really cost, and the downloaded
// bytes on disk beneath it (see ImageDiskTier). Absent means no image, whatever the reason;
// failures are never cached, so the next request tries again.
//
// Sizes: each request names the size it shows the image at (in pixels; empty means as large as
// the image is). The image is decoded to cover the largest size its callers asked for before the
// decoding starts, and no image takes more than a quarter of the budget: a larger one is decoded
// smaller instead of being refused. A later request for a larger size than the cached image was
// made for downloads it again and replaces the entry; meanwhile cachedImage() still has the
// smaller one to show.
//
// Withdrawal: a caller of image() may pass a token and stop it when it no longer wants the image
// (its view went away or moved to another URL). Its completion is then never called, and the
// download is cancelled, freeing its connection, once no other caller waits for it and no prefetch
// asked for it: prefetches fill the cache for views yet to come, so nothing withdraws them.
//
// Concurrency: every call comes from the main thread, and the table of running downloads and the
// cache are touched only there, so neither needs a lock. The session's thread only hands a
// download's bytes to the workers, where they are decoded; the result then hops to the main queue,
// where the download's entry is removed, the image cached and every waiting caller completed with
// the same image.
class ORVANE_EXPORT StoryImagePipeline {
 public:
  using Options = StoryImagePipelineOptions;
  using Completion = std::function<void(std::shared_ptr<const Image>)>;

  // Built once, thread-safely, on first use from Platform::current(), which must provide an HTTP
  // session and a main queue by then. Lives for the process.
  static StoryImagePipeline& shared();

  // Throws std::invalid_argument when a collaborator is missing.
  StoryImagePipeline(std::shared_ptr<HttpSession> session, std::shared_ptr<const ImageDecoder> decoder,
                     std::shared_ptr<MainQueue> mainQueue, std::shared_ptr<WorkerPool> workers,
                     Options options = {});
  // Downloads still running are cancelled: their callers are not completed.
  ~StoryImagePipeline();
  StoryImagePipeline(const StoryImagePipeline&) = delete;
  StoryImagePipeline& operator=(const StoryImagePipeline&) = delete;

  // The cached image when it was made for at least `size`, the result of the download already
  // running for the URL, or the result of a new one. Always completes later on the main queue, a
  // cache hit included; views that want a hit in the same frame ask cachedImage first. A missing
  // completion makes this a prefetch. Stopping `consumer` withdraws this caller (see above).
  void image(const Url& url, PixelSize size, Completion completion, std::stop_token consumer = {});
  void image(const Url& url, Completion completion, std::stop_token consumer = {}) {
    image(url, PixelSize{}, std::move(completion), std::move(consumer));
  }

  // The image in the cache right now, whatever size it was made for, or null; never downloads.
  std::shared_ptr<const Image> cachedImage(const Url& url) const;

  // Starts a download unless the URL is absent, cached for the size or already downloading;
  // returns at once.
  void prefetch(const std::optional<Url>& url, PixelSize size = {});
  // Each element in order; duplicates join the first one's download.
  void prefetch(const std::vector<std::optional<Url>>& urls, PixelSize size = {});

  // What the cache holds now, as charged.
  std::size_t cachedBytes() const;

 private:
  struct State;
  struct Download;
  struct Waiter;
  struct Fetch;

  std::shared_ptr<Download> startDownload(const Url& url, PixelSize size, bool prefetched);
  void join(const Url& url, const std::shared_ptr<Download>& download, Completion completion,
            std::stop_token consumer);

  std::shared_ptr<HttpSession> session_;
  std::shared_ptr<const ImageDecoder> decoder_;
  std::shared_ptr<MainQueue> mainQueue_;
  std::shared_ptr<WorkerPool> workers_;
  ImageDecodeLimits limits_;
  // Null without a disk cache.
  std::shared_ptr<const ImageDiskTier> disk_;
  // Shared so that a download finishing after the pipeline is gone finds nothing to update.
  std::shared_ptr<State> state_;
};

}  // namespace orvane
