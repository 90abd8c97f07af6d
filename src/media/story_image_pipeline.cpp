#include <orvane/media/story_image_pipeline.h>

#include <cassert>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include <orvane/media/image_memory_cache.h>
#include <orvane/platform/platform.h>

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

// One running download. Its size may still grow, from the main thread, until a worker starts
// decoding: then the largest size asked for by then is the one decoded.
struct StoryImagePipeline::Download {
  std::vector<Completion> waiters;
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

  // Runs on the main queue once a download's result is known.
  void finish(const Url& url, const std::shared_ptr<const Image>& image, PixelSize madeFor) {
    // Removed before anyone is completed, so a completion that asks again sees the cache.
    auto entry = inFlight.extract(url);
    assert(!entry.empty());
    // Scaled to cover a size, an image reaches it in at least one dimension; one short in both
    // is as large as it gets, and serves every size.
    if (image && image->width() < madeFor.width && image->height() < madeFor.height) madeFor = {};
    if (image) cache.insert(url, image, madeFor);
    for (auto& waiter : entry.mapped()->waiters) waiter(image);
  }

  bool cachedFor(const Url& url, PixelSize size) const {
    auto madeFor = cache.madeFor(url);
    return madeFor && madeFor->covers(size);
  }

  ImageMemoryCache cache;
  // The callers waiting on each running download; a prefetch starts one with nobody waiting.
  std::unordered_map<Url, std::shared_ptr<Download>> inFlight;
};

StoryImagePipeline& StoryImagePipeline::shared() {
  static StoryImagePipeline instance = [] {
    Platform platform = Platform::current();
    return StoryImagePipeline(platform.http, platform.imageDecoder, platform.mainQueue, platform.workers);
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
      state_(std::make_shared<State>(options.memoryBudgetBytes, options.maxEntries)) {
  if (!session_) throw std::invalid_argument("StoryImagePipeline needs an HTTP session");
  if (!decoder_) throw std::invalid_argument("StoryImagePipeline needs an image decoder");
  if (!mainQueue_) throw std::invalid_argument("StoryImagePipeline needs a main queue");
  if (!workers_) throw std::invalid_argument("StoryImagePipeline needs workers");
}

StoryImagePipeline::~StoryImagePipeline() = default;

void StoryImagePipeline::image(const Url& url, PixelSize size, Completion completion) {
  assert(mainQueue_->isMainThread());
  if (!completion) return prefetch(url, size);
  if (state_->cachedFor(url, size)) {
    mainQueue_->post(
        [completion = std::move(completion), cached = state_->cache.find(url)] { completion(cached); });
    return;
  }
  if (auto running = state_->inFlight.find(url); running != state_->inFlight.end()) {
    running->second->enlarge(size);
    running->second->waiters.push_back(std::move(completion));
    return;
  }
  std::vector<Completion> waiters;
  waiters.push_back(std::move(completion));
  startDownload(url, size, std::move(waiters));
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
    return;
  }
  startDownload(*url, size, {});
}

void StoryImagePipeline::prefetch(const std::vector<std::optional<Url>>& urls, PixelSize size) {
  for (const auto& url : urls) prefetch(url, size);
}

std::size_t StoryImagePipeline::cachedBytes() const {
  assert(mainQueue_->isMainThread());
  return state_->cache.totalCost();
}

void StoryImagePipeline::startDownload(const Url& url, PixelSize size, std::vector<Completion> waiters) {
  auto download = std::make_shared<Download>();
  download->waiters = std::move(waiters);
  download->size = size;
  state_->inFlight.emplace(url, download);
  // A plain GET with the session's defaults: no headers of the SDK's own, so it may follow
  // redirects to other origins (never down to http).
  HttpRequest request{.url = url, .headers = {}, .body = std::nullopt, .maxResponseBytes = std::nullopt};
  request.redirects = HttpRequest::Redirects::toHttps;
  session_->send(
      std::move(request),
      [decoder = decoder_, mainQueue = mainQueue_, workers = workers_, limits = limits_,
       state = std::weak_ptr<State>(state_), download, url](HttpResult result) {
        workers->postBulk(
            [decoder, mainQueue, limits, state, download, url, result = std::move(result)]() mutable {
              limits.target = download->currentSize();
              auto image = decodeDownload(result, *decoder, limits);
              mainQueue->post([state, url, image = std::move(image), madeFor = limits.target] {
                if (auto alive = state.lock()) alive->finish(url, image, madeFor);
              });
            });
      });
}

}  // namespace orvane
