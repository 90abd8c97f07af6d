#include <orvane/media/story_image_pipeline.h>

#include <cassert>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <unordered_map>
#include <utility>
#include <vector>

#include <orvane/media/image_disk_tier.h>
#include <orvane/media/image_memory_cache.h>
#include <orvane/platform/platform.h>
#include <orvane/platform/system_platform.h>
#include <orvane/storage/cache_folders.h>

namespace orvane {
namespace {

// The status code and content type are not examined: whatever bytes arrive are offered to the
// decoder, so a 404 that carries an image shows that image.
std::shared_ptr<const Image> decodeDownload(const HttpResult& result, const ImageDecoder& decoder,
                                            const ImageDecodeLimits& limits) {
  if (result.error || !result.data) return nullptr;
  auto image = decoder.decode(*result.data, limits);
  // Checked again here so that a decoder ignoring the caps cannot slip a bomb into the cache.
  if (image && static_cast<std::int64_t>(image->width()) * image->height() > limits.maxPixels) return nullptr;
  return image;
}

}  // namespace

// A caller of image() waiting on a download; main thread only.
struct StoryImagePipeline::Waiter {
  std::uint64_t id = 0;
  StoryImagePipeline::Completion completion;
  std::stop_token consumer;
  // Withdraws the waiter once its consumer stops.
  std::unique_ptr<std::stop_callback<std::function<void()>>> onGone;
};

// One running download. Its size may still grow, from the main thread, until a worker starts
// decoding: then the largest size asked for by then is the one decoded.
struct StoryImagePipeline::Download {
  // Main thread only.
  std::vector<Waiter> waiters;
  bool prefetched = false;
  std::stop_source transfer;

  std::mutex mutex;
  PixelSize size;

  void enlarge(PixelSize wanted) {
    std::lock_guard lock(mutex);
    size = size.unitedWith(wanted);
  }
  PixelSize currentSize() {
    std::lock_guard lock(mutex);
    return size;
  }
};

struct StoryImagePipeline::State {
  State(std::size_t budgetBytes, std::size_t maxEntries) : cache(budgetBytes, maxEntries) {}

  ~State() {
    for (auto& [url, download] : inFlight) download->transfer.request_stop();
  }

  // Runs on the main queue once a download's result is known.
  void finish(const Url& url, const std::shared_ptr<Download>& download,
              const std::shared_ptr<const Image>& image, PixelSize madeFor) {
    // Removed before anyone is completed, so a completion that asks again sees the cache. A
    // download whose callers all withdrew has already made way for a newer one.
    forget(url, download);
    // Scaled to cover a size, an image reaches it in at least one dimension; one short in both
    // is as large as it gets, and serves every size.
    if (image && image->width() < madeFor.width && image->height() < madeFor.height) madeFor = {};
    if (image) cache.insert(url, image, madeFor);
    auto waiters = std::move(download->waiters);
    download->waiters.clear();
    for (auto& waiter : waiters) {
      if (!waiter.consumer.stop_requested()) waiter.completion(image);
    }
  }

  // Runs on the main queue once a waiter's consumer has stopped.
  void withdraw(const Url& url, const std::shared_ptr<Download>& download, std::uint64_t waiterId) {
    auto& waiters = download->waiters;
    std::erase_if(waiters, [waiterId](const Waiter& waiter) { return waiter.id == waiterId; });
    if (!waiters.empty() || download->prefetched) return;
    download->transfer.request_stop();
    forget(url, download);
  }

  void forget(const Url& url, const std::shared_ptr<Download>& download) {
    if (auto found = inFlight.find(url); found != inFlight.end() && found->second == download)
      inFlight.erase(found);
  }

  bool cachedFor(const Url& url, PixelSize size) const {
    auto madeFor = cache.madeFor(url);
    return madeFor && madeFor->covers(size);
  }

  ImageMemoryCache cache;
  // The callers waiting on each running download; a prefetch starts one with nobody waiting.
  std::unordered_map<Url, std::shared_ptr<Download>> inFlight;
  std::uint64_t lastWaiterId = 0;
};

StoryImagePipeline& StoryImagePipeline::shared() {
  static StoryImagePipeline instance = [] {
    Platform platform = Platform::current();
    Options options;
    options.disk = mediaDiskCache(platform);
    options.clock = platform.clock;
    return StoryImagePipeline(platform.http, platform.imageDecoder, platform.mainQueue, platform.workers,
                              std::move(options));
  }();
  return instance;
}

StoryImagePipeline::StoryImagePipeline(std::shared_ptr<HttpSession> session,
                                       std::shared_ptr<const ImageDecoder> decoder,
                                       std::shared_ptr<MainQueue> mainQueue,
                                       std::shared_ptr<WorkerPool> workers, Options options)
    : session_(std::move(session)),
      decoder_(std::move(decoder)),
      mainQueue_(std::move(mainQueue)),
      workers_(std::move(workers)),
      // No image may take more than a quarter of the budget, at four bytes a pixel.
      limits_{{}, options.maxSourcePixels, static_cast<std::int64_t>(options.memoryBudgetBytes / 16)},
      disk_(options.disk ? std::make_shared<ImageDiskTier>(
                               options.disk, options.clock ? options.clock : std::make_shared<SystemClock>())
                         : nullptr),
      state_(std::make_shared<State>(options.memoryBudgetBytes, options.maxEntries)) {
  if (!session_) throw std::invalid_argument("StoryImagePipeline needs an HTTP session");
  if (!decoder_) throw std::invalid_argument("StoryImagePipeline needs an image decoder");
  if (!mainQueue_) throw std::invalid_argument("StoryImagePipeline needs a main queue");
  if (!workers_) throw std::invalid_argument("StoryImagePipeline needs workers");
}

StoryImagePipeline::~StoryImagePipeline() = default;

void StoryImagePipeline::image(const Url& url, PixelSize size, Completion completion,
                               std::stop_token consumer) {
  assert(mainQueue_->isMainThread());
  if (!completion) return prefetch(url, size);
  if (consumer.stop_requested()) return;
  if (state_->cachedFor(url, size)) {
    mainQueue_->post([completion = std::move(completion), cached = state_->cache.find(url), consumer] {
      if (!consumer.stop_requested()) completion(cached);
    });
    return;
  }
  auto running = state_->inFlight.find(url);
  if (running != state_->inFlight.end()) running->second->enlarge(size);
  const auto download = running != state_->inFlight.end() ? running->second : startDownload(url, size, false);
  join(url, download, std::move(completion), std::move(consumer));
}

void StoryImagePipeline::join(const Url& url, const std::shared_ptr<Download>& download,
                              Completion completion, std::stop_token consumer) {
  Waiter waiter{++state_->lastWaiterId, std::move(completion), consumer, nullptr};
  if (consumer.stop_possible()) {
    // Posted rather than run inside request_stop(), which may come from any thread and must not
    // destroy the callback it is running.
    waiter.onGone = std::make_unique<std::stop_callback<std::function<void()>>>(
        consumer, [mainQueue = mainQueue_, state = std::weak_ptr<State>(state_),
                   weakDownload = std::weak_ptr<Download>(download), url, id = waiter.id] {
          mainQueue->post([state, weakDownload, url, id] {
            auto alive = state.lock();
            auto waitedOn = weakDownload.lock();
            if (alive && waitedOn) alive->withdraw(url, waitedOn, id);
          });
        });
  }
  download->waiters.push_back(std::move(waiter));
}

std::shared_ptr<const Image> StoryImagePipeline::cachedImage(const Url& url) const {
  assert(mainQueue_->isMainThread());
  return state_->cache.find(url);
}

void StoryImagePipeline::prefetch(const std::optional<Url>& url, PixelSize size) {
  assert(mainQueue_->isMainThread());
  if (!url) return;
  if (state_->cachedFor(*url, size)) return;
  if (auto running = state_->inFlight.find(*url); running != state_->inFlight.end()) {
    running->second->enlarge(size);
    running->second->prefetched = true;
    return;
  }
  startDownload(*url, size, true);
}

void StoryImagePipeline::prefetch(const std::vector<std::optional<Url>>& urls, PixelSize size) {
  for (const auto& url : urls) prefetch(url, size);
}

std::size_t StoryImagePipeline::cachedBytes() const {
  assert(mainQueue_->isMainThread());
  return state_->cache.totalCost();
}

// One download's way from disk or network to its waiters; shared by the steps it takes on workers.
struct StoryImagePipeline::Fetch {
  std::shared_ptr<HttpSession> session;
  std::shared_ptr<const ImageDecoder> decoder;
  std::shared_ptr<MainQueue> mainQueue;
  std::shared_ptr<WorkerPool> workers;
  ImageDecodeLimits limits;
  std::shared_ptr<const ImageDiskTier> disk;
  std::weak_ptr<State> state;
  std::shared_ptr<Download> download;
  Url url;

  // On a worker: decodes at the largest size asked for by now, and hands the result to the main queue.
  void finish(const HttpResult& exchange, const ImageDiskTier::Kept& kept) const {
    auto sized = limits;
    sized.target = download->currentSize();
    std::shared_ptr<const Image> image;
    if (auto keptBytes = disk ? disk->keptAnswer(url, kept, exchange) : std::nullopt) {
      image = decodeDownload(HttpResult{std::move(keptBytes), std::nullopt, std::nullopt}, *decoder, sized);
      if (!image) disk->forget(url);
    } else {
      image = decodeDownload(exchange, *decoder, sized);
      if (image && disk) disk->keep(url, exchange);
    }
    deliver(std::move(image), sized.target);
  }

  void deliver(std::shared_ptr<const Image> image, PixelSize madeFor) const {
    mainQueue->post([state = state, url = url, download = download, image = std::move(image), madeFor] {
      if (auto alive = state.lock()) alive->finish(url, download, image, madeFor);
    });
  }

  void send(ImageDiskTier::Kept kept) const {
    // A plain GET with the session's defaults: no headers of the SDK's own, so it may follow
    // redirects to other origins (never down to http).
    HttpRequest request{.url = url, .headers = {}, .body = std::nullopt, .maxResponseBytes = std::nullopt};
    request.redirects = HttpRequest::Redirects::toHttps;
    request.lane = HttpRequest::Lane::media;
    request.cancellation = download->transfer.get_token();
    ImageDiskTier::askAbout(request, kept);
    // The answer's handler goes without the session: a session holding its pending handlers would
    // otherwise keep itself alive through them.
    Fetch carried = *this;
    carried.session.reset();
    session->send(std::move(request), [self = std::move(carried), kept = std::move(kept)](HttpResult result) mutable {
      self.workers->postBulk([self = std::move(self), kept = std::move(kept), result = std::move(result)] {
        self.finish(result, kept);
      });
    });
  }
};

std::shared_ptr<StoryImagePipeline::Download> StoryImagePipeline::startDownload(const Url& url,
                                                                                PixelSize size,
                                                                                bool prefetched) {
  auto download = std::make_shared<Download>();
  download->prefetched = prefetched;
  download->size = size;
  state_->inFlight.emplace(url, download);
  Fetch fetch{session_, decoder_, mainQueue_, workers_, limits_, disk_, state_, download, url};
  if (!disk_) {
    fetch.send({});
    return download;
  }
  // The disk is read on a worker; a fresh entry that decodes needs no network at all.
  workers_->postBulk([fetch = std::move(fetch)] {
    if (fetch.download->transfer.stop_requested()) return;
    auto kept = fetch.disk->look(fetch.url);
    if (kept.freshBytes) {
      auto sized = fetch.limits;
      sized.target = fetch.download->currentSize();
      auto image = decodeDownload(HttpResult{std::move(kept.freshBytes), std::nullopt, std::nullopt},
                                  *fetch.decoder, sized);
      if (image) return fetch.deliver(std::move(image), sized.target);
      fetch.disk->forget(fetch.url);
      kept = {};
    }
    fetch.send(std::move(kept));
  });
  return download;
}

}  // namespace orvane
