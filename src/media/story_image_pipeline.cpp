#include "media/story_image_pipeline.h"

#include <cassert>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "media/image_memory_cache.h"
#include "platform/platform.h"

namespace orvane {
namespace {

// The status code and content type are not examined: whatever bytes arrive are offered to the
// decoder, so a 404 that carries an image shows that image.
std::shared_ptr<const Image> decodeDownload(const HttpResult& result, const ImageDecoder& decoder,
                                            std::int64_t maxPixels) {
  if (result.error || !result.data) return nullptr;
  auto image = decoder.decode(*result.data, maxPixels);
  // Checked again here so that a decoder ignoring the cap cannot slip a bomb into the cache.
  if (image && static_cast<std::int64_t>(image->width()) * image->height() > maxPixels) return nullptr;
  return image;
}

}  // namespace

struct StoryImagePipeline::State {
  explicit State(std::size_t budgetBytes) : cache(budgetBytes) {}

  // Runs on the main queue once a download's result is known.
  void finish(const Url& url, const std::shared_ptr<const Image>& image) {
    // Removed before anyone is completed, so a completion that asks again sees the cache.
    auto entry = inFlight.extract(url);
    assert(!entry.empty());
    if (image) cache.insert(url, image);
    for (auto& waiter : entry.mapped()) waiter(image);
  }

  ImageMemoryCache cache;
  // The callers waiting on each running download; a prefetch starts one with nobody waiting.
  std::unordered_map<Url, std::vector<Completion>> inFlight;
};

StoryImagePipeline& StoryImagePipeline::shared() {
  static StoryImagePipeline instance = [] {
    Platform platform = Platform::current();
    return StoryImagePipeline(platform.http, platform.imageDecoder, platform.mainQueue);
  }();
  return instance;
}

StoryImagePipeline::StoryImagePipeline(std::shared_ptr<HttpSession> session,
                                       std::shared_ptr<const ImageDecoder> decoder,
                                       std::shared_ptr<MainQueue> mainQueue, Options options)
    : session_(std::move(session)),
      decoder_(std::move(decoder)),
      mainQueue_(std::move(mainQueue)),
      maxDecodedPixels_(options.maxDecodedPixels),
      state_(std::make_shared<State>(options.memoryBudgetBytes)) {
  if (!session_) throw std::invalid_argument("StoryImagePipeline needs an HTTP session");
  if (!decoder_) throw std::invalid_argument("StoryImagePipeline needs an image decoder");
  if (!mainQueue_) throw std::invalid_argument("StoryImagePipeline needs a main queue");
}

StoryImagePipeline::~StoryImagePipeline() = default;

void StoryImagePipeline::image(const Url& url, Completion completion) {
  assert(mainQueue_->isMainThread());
  if (!completion) return prefetch(url);
  if (auto cached = state_->cache.find(url)) {
    mainQueue_->post(
        [completion = std::move(completion), cached = std::move(cached)] { completion(cached); });
    return;
  }
  if (auto running = state_->inFlight.find(url); running != state_->inFlight.end()) {
    running->second.push_back(std::move(completion));
    return;
  }
  std::vector<Completion> waiters;
  waiters.push_back(std::move(completion));
  startDownload(url, std::move(waiters));
}

std::shared_ptr<const Image> StoryImagePipeline::cachedImage(const Url& url) const {
  assert(mainQueue_->isMainThread());
  return state_->cache.find(url);
}

void StoryImagePipeline::prefetch(const std::optional<Url>& url) {
  assert(mainQueue_->isMainThread());
  if (!url || state_->cache.find(*url) || state_->inFlight.contains(*url)) return;
  startDownload(*url, {});
}

void StoryImagePipeline::prefetch(const std::vector<std::optional<Url>>& urls) {
  for (const auto& url : urls) prefetch(url);
}

void StoryImagePipeline::startDownload(const Url& url, std::vector<Completion> waiters) {
  state_->inFlight.emplace(url, std::move(waiters));
  // A plain GET with the session's defaults: no headers of the SDK's own, so it may follow
  // redirects to other origins (never down to http).
  HttpRequest request{.url = url, .headers = {}, .body = std::nullopt};
  request.redirects = HttpRequest::Redirects::toHttps;
  session_->send(std::move(request),
                 [decoder = decoder_, mainQueue = mainQueue_, maxPixels = maxDecodedPixels_,
                  state = std::weak_ptr<State>(state_), url](const HttpResult& result) {
                   auto image = decodeDownload(result, *decoder, maxPixels);
                   mainQueue->post([state, url, image = std::move(image)] {
                     if (auto alive = state.lock()) alive->finish(url, image);
                   });
                 });
}

}  // namespace orvane
