#include <orvane/media/image_disk_tier.h>

#include <orvane/media/kept_answers.h>
#include <orvane/storage/http_cache_policy.h>

namespace orvane {

ImageDiskTier::Kept ImageDiskTier::look(const Url& url) const {
  Kept kept;
  kept.record = cache_->find(url.string());
  if (kept.record && kept.record->isFresh(clock_->now())) {
    if (auto entry = cache_->read(url.string())) {
      kept.freshBytes = std::move(entry->bytes);
    } else {
      kept.record.reset();
    }
  }
  return kept;
}

void ImageDiskTier::askAbout(HttpRequest& request, const Kept& kept) {
  if (kept.record && !kept.freshBytes && !kept.record->etag.empty())
    request.setHeader("If-None-Match", kept.record->etag);
}

std::optional<std::string> ImageDiskTier::keptAnswer(const Url& url, const Kept& kept,
                                                     const HttpResult& exchange) const {
  if (!kept.record) return std::nullopt;
  const bool notModified = !exchange.error && exchange.response && exchange.response->statusCode == 304;
  if (notModified) {
    const auto confirmed = confirmedRecord(*exchange.response, *kept.record, clock_->now());
    auto entry = cache_->read(url.string());
    if (!confirmed) {
      cache_->remove(url.string());
      return entry ? std::optional(std::move(entry->bytes)) : std::nullopt;
    }
    if (!entry) return std::nullopt;
    cache_->refresh(url.string(), *confirmed);
    return std::move(entry->bytes);
  }
  if (originUnreachable(exchange) && kept.record->usableWhenStale) {
    if (auto entry = cache_->read(url.string())) return std::move(entry->bytes);
  }
  return std::nullopt;
}

void ImageDiskTier::keep(const Url& url, const HttpResult& exchange) const {
  if (exchange.error || !exchange.response || exchange.response->statusCode != 200 || !exchange.data) return;
  const auto policy = cachePolicyOf(*exchange.response);
  if (!policy.store) {
    cache_->remove(url.string());
    return;
  }
  cache_->store(url.string(), *exchange.data, keptRecordOf(policy, clock_->now()));
}

}  // namespace orvane
