#include <orvane/media/cached_range_session.h>

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

#include <orvane/media/content_range.h>
#include <orvane/media/kept_answers.h>
#include <orvane/platform/worker_pool.h>
#include <orvane/storage/http_cache_policy.h>

namespace orvane {
namespace {

std::optional<std::uint64_t> number(std::string_view digits) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Only the one form a stream sends, "bytes=FIRST-LAST"; anything else is the network's to answer.
std::optional<CachedRangeSession::AskedRange> askedRange(const HttpRequest& request) {
  const auto* header = request.header("Range");
  constexpr std::string_view unit = "bytes=";
  if (!header || !header->starts_with(unit)) return std::nullopt;
  const std::string_view spec = std::string_view(*header).substr(unit.size());
  const auto dash = spec.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto first = number(spec.substr(0, dash));
  const auto last = number(spec.substr(dash + 1));
  if (!first || !last || *first > *last) return std::nullopt;
  return CachedRangeSession::AskedRange{*first, *last};
}

}  // namespace

std::shared_ptr<CachedRangeSession> CachedRangeSession::create(std::shared_ptr<HttpSession> network,
                                                               std::shared_ptr<DiskCache> disk,
                                                               std::shared_ptr<WorkerPool> workers,
                                                               std::shared_ptr<Clock> clock) {
  return std::shared_ptr<CachedRangeSession>(
      new CachedRangeSession(std::move(network), std::move(disk), std::move(workers), std::move(clock)));
}

CachedRangeSession::CachedRangeSession(std::shared_ptr<HttpSession> network, std::shared_ptr<DiskCache> disk,
                                       std::shared_ptr<WorkerPool> workers, std::shared_ptr<Clock> clock)
    : network_(std::move(network)), disk_(std::move(disk)), workers_(std::move(workers)), clock_(std::move(clock)) {}

void CachedRangeSession::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  // The caller may be the main thread; the disk is read on a worker.
  auto workers = workers_.lock();
  if (!workers) {
    network_->send(std::move(request), std::move(completion));
    return;
  }
  workers->post([self = shared_from_this(), request = std::move(request), completion = std::move(completion)]() mutable {
    self->answer(std::move(request), std::move(completion));
  });
}

void CachedRangeSession::answer(HttpRequest request, std::function<void(HttpResult)> completion) {
  if (request.cancellation.stop_requested()) {
    completion(HttpResult{std::nullopt, std::nullopt, TransportError{TransportError::Code::cancelled, "cancelled"}});
    return;
  }
  auto key = request.url.string();
  const auto range = request.method == "GET" ? askedRange(request) : std::nullopt;
  auto kept = range ? disk_->find(key) : std::nullopt;
  if (kept && range->first >= kept->size) kept.reset();
  if (kept && kept->isFresh(clock_->now())) {
    if (auto answer = rangeFromDisk(key, *kept, *range)) {
      completion(*std::move(answer));
      return;
    }
    kept.reset();
  }
  if (!kept) return fetch(std::move(request), std::move(key), range, std::move(completion));
  // A stale file is asked about rather than fetched again; a 304 leaves its bytes to the disk.
  HttpRequest unconditional = request;
  if (!kept->etag.empty()) request.setHeader("If-None-Match", kept->etag);
  network_->send(std::move(request), [self = shared_from_this(), key = std::move(key), range = *range,
                                      kept = std::move(*kept), unconditional = std::move(unconditional),
                                      completion = std::move(completion)](HttpResult result) mutable {
    if (auto answer = self->keptAnswer(key, kept, range, result)) {
      completion(*std::move(answer));
      return;
    }
    // Confirmed, but the file went meanwhile: its bytes are the network's to give after all.
    if (result.response && result.response->statusCode == 304) {
      self->fetch(std::move(unconditional), std::move(key), range, std::move(completion));
      return;
    }
    self->keep(key, result);
    completion(std::move(result));
  });
}

void CachedRangeSession::fetch(HttpRequest request, std::string key, std::optional<AskedRange> range,
                               std::function<void(HttpResult)> completion) {
  network_->send(std::move(request), [self = shared_from_this(), key = std::move(key), range,
                                      completion = std::move(completion)](HttpResult result) {
    if (range) self->keep(key, result);
    completion(std::move(result));
  });
}

std::optional<HttpResult> CachedRangeSession::keptAnswer(const std::string& key, const DiskCacheRecord& kept,
                                                         AskedRange range, const HttpResult& exchange) {
  if (!exchange.error && exchange.response && exchange.response->statusCode == 304) {
    const auto confirmed = confirmedRecord(*exchange.response, kept, clock_->now());
    auto answer = rangeFromDisk(key, kept, range);
    if (!confirmed) {
      disk_->remove(key);
    } else if (answer) {
      disk_->refresh(key, *confirmed);
    }
    return answer;
  }
  if (originUnreachable(exchange) && kept.usableWhenStale) return rangeFromDisk(key, kept, range);
  return std::nullopt;
}

std::optional<HttpResult> CachedRangeSession::rangeFromDisk(const std::string& key, const DiskCacheRecord& record,
                                                            AskedRange range) {
  const auto last = std::min(range.last, record.size - 1);
  auto bytes = disk_->readRange(key, range.first, static_cast<std::size_t>(last - range.first + 1));
  // A file replaced or cut meanwhile: the network has the bytes.
  if (!bytes || bytes->size() != last - range.first + 1) return std::nullopt;
  HttpResponse response{206, {}};
  response.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                     std::to_string(last) + "/" + std::to_string(record.size));
  if (!record.etag.empty()) response.headers.emplace_back("ETag", record.etag);
  return HttpResult{std::move(bytes), std::move(response), std::nullopt};
}

void CachedRangeSession::keep(const std::string& key, const HttpResult& result) {
  // A failed exchange is asked again from where it stopped; the file goes on being written then.
  if (result.error || !result.response) return;
  auto filling = takeFilling(key);
  if (result.response->statusCode != 206 || !result.data) return;
  const auto* header = result.response->header("Content-Range");
  const auto range = header ? parseContentRange(*header) : std::nullopt;
  if (!range || range->length() != result.data->size()) return;
  const auto policy = cachePolicyOf(*result.response);
  if (!policy.store || range->total > disk_->maxBytes() / 4) return;
  const auto* etag = result.response->header("ETag");
  const std::string etagText = etag ? *etag : std::string();
  if (filling && (filling->total != range->total || filling->etag != etagText)) filling.reset();
  if (!filling) {
    if (range->first != 0) return;
    DiskCacheRecord record;
    record.etag = policy.etag;
    record.storedAt = clock_->now();
    record.freshFor = policy.freshFor;
    record.usableWhenStale = policy.usableWhenStale;
    auto writer = disk_->startWriting(key, record);
    if (!writer) return;
    filling = std::make_unique<Filling>(Filling{key, range->total, etagText, std::move(writer), 0});
  }
  const auto end = range->first + range->length();
  // Bytes past a gap wait until the reader comes back for the gap; those already written are passed.
  if (range->first <= filling->written && end > filling->written) {
    const auto skip = static_cast<std::size_t>(filling->written - range->first);
    if (!filling->writer->append(std::string_view(*result.data).substr(skip))) return;
    filling->written = end;
  }
  if (filling->written == filling->total) {
    filling->writer->commit();
    return;
  }
  putBack(std::move(filling));
}

std::unique_ptr<CachedRangeSession::Filling> CachedRangeSession::takeFilling(const std::string& key) {
  std::lock_guard lock(mutex_);
  for (auto it = fillings_.begin(); it != fillings_.end(); ++it) {
    if ((*it)->key != key) continue;
    auto filling = std::move(*it);
    fillings_.erase(it);
    return filling;
  }
  return nullptr;
}

void CachedRangeSession::putBack(std::unique_ptr<Filling> filling) {
  std::unique_ptr<Filling> givenUp;
  std::lock_guard lock(mutex_);
  fillings_.push_back(std::move(filling));
  if (fillings_.size() > kFilesBeingWritten) {
    givenUp = std::move(fillings_.front());
    fillings_.pop_front();
  }
}

}  // namespace orvane
