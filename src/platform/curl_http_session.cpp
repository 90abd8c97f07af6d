#include <orvane/platform/curl_http_session.h>

#include <orvane/platform/ascii_text.h>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <unordered_map>
#include <vector>

#include <orvane/platform/curl_transfer.h>

namespace orvane {
namespace {

using Code = TransportError::Code;

// Once per process, before any other curl call; a function-local static is initialised
// exactly once even when several sessions start at the same time.
bool curlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

std::string withoutTrailingSlash(std::string text) {
  while (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

// "scheme://authority" of an absolute URL, or the empty text when it has none.
std::string::size_type originLength(const std::string& url) {
  auto separator = url.find("://");
  if (separator == std::string::npos) return 0;
  auto end = url.find_first_of("/?#", separator + 3);
  return end == std::string::npos ? url.size() : end;
}

std::map<std::string, std::string> normalisedOverrides(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> normalised;
  for (const auto& [origin, replacement] : overrides)
    normalised[asciiLowercased(withoutTrailingSlash(origin))] = withoutTrailingSlash(replacement);
  return normalised;
}

std::string applyingOverrides(const std::string& url, const std::map<std::string, std::string>& overrides) {
  const auto length = originLength(url);
  if (length == 0) return url;
  auto found = overrides.find(asciiLowercased(url.substr(0, length)));
  return found == overrides.end() ? url : found->second + url.substr(length);
}

HttpResult cancelled() {
  return HttpResult{std::nullopt, std::nullopt, TransportError{Code::cancelled, "The session was closed."}};
}

}  // namespace

class CurlHttpSession::Worker {
 public:
  explicit Worker(const Options& options)
      : options_(options),
        limits_{options.caBundlePath, options.maxResponseBytes},
        overrides_(normalisedOverrides(options.originOverrides)),
        multi_(curlReady() ? curl_multi_init() : nullptr) {}

  ~Worker() {
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
  }

  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void enqueue(HttpRequest request, std::function<void(HttpResult)> completion) {
    {
      std::lock_guard lock(mutex_);
      if (!closed_) {
        incoming_.push_back({std::move(request), std::move(completion), Clock::now(), {}, {}});
        if (multi_ != nullptr) curl_multi_wakeup(multi_);
        return;
      }
    }
    completion(cancelled());
  }

  void stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    if (multi_ != nullptr) curl_multi_wakeup(multi_);
  }

  void run() {
    if (multi_ == nullptr) {
      failEverything(TransportError{Code::other, "The HTTP transport could not be initialised."});
      return;
    }
    while (true) {
      std::vector<Pending> arrived;
      {
        std::lock_guard lock(mutex_);
        if (stopping_) break;
        arrived.swap(incoming_);
      }
      for (auto& pending : arrived) admit(std::move(pending));
      expireWaiting();
      expireSilent();
      startWhatFits();
      int running = 0;
      curl_multi_perform(multi_, &running);
      const bool freedTurns = finishDone();
      const bool othersWait = !waiting_[0].empty() || !waiting_[1].empty();
      // Returns early for curl's own timers, socket activity and curl_multi_wakeup.
      curl_multi_poll(multi_, nullptr, 0, freedTurns && othersWait ? 0 : pollTimeoutMs(), nullptr);
    }
    for (auto& [handle, active] : active_) {
      curl_multi_remove_handle(multi_, handle);
      active.transfer->complete(cancelled());
    }
    active_.clear();
    for (auto& lane : waiting_) {
      for (auto& pending : lane) pending.completion(cancelled());
      lane.clear();
    }
    failEverything(*cancelled().error);
  }

 private:
  using Clock = std::chrono::steady_clock;
  using Lane = HttpRequest::Lane;

  struct Pending {
    HttpRequest request;
    std::function<void(HttpResult)> completion;
    Clock::time_point askedAt;
    std::string url;     // with origin overrides applied
    std::string origin;  // of `url`, lower-cased: what the per-origin turns count
  };

  struct Active {
    std::unique_ptr<CurlTransfer> transfer;
    Lane lane;
    std::string origin;
    std::chrono::seconds idleLimit;
  };

  std::deque<Pending>& waiting(Lane lane) { return waiting_[lane == Lane::telemetry ? 1 : 0]; }

  std::chrono::seconds idleLimit(const HttpRequest& request) const {
    return std::max(std::chrono::seconds{1}, options_.idleTimeout.value_or(request.timeout));
  }

  void admit(Pending pending) {
    pending.url = applyingOverrides(pending.request.url.string(), overrides_);
    pending.origin = asciiLowercased(pending.url.substr(0, originLength(pending.url)));
    const auto lane = pending.request.lane;
    if (lane == Lane::telemetry)
      waitingTelemetryBytes_ += pending.request.body ? pending.request.body->size() : 0;
    waiting(lane).push_back(std::move(pending));
    if (lane != Lane::telemetry) return;
    auto& queue = waiting(Lane::telemetry);
    while (!queue.empty() && (queue.size() > options_.telemetryQueueLength ||
                              waitingTelemetryBytes_ > options_.telemetryQueueBytes)) {
      auto dropped = takeFront(queue);
      dropped.completion(
          HttpResult{std::nullopt, std::nullopt,
                     TransportError{Code::cancelled, "Dropped: too many reports were waiting."}});
    }
  }

  Pending takeFront(std::deque<Pending>& queue) {
    Pending front = std::move(queue.front());
    queue.pop_front();
    if (front.request.lane == Lane::telemetry && front.request.body)
      waitingTelemetryBytes_ -= front.request.body->size();
    return front;
  }

  // A request still waiting for its turn when its limit runs out fails like a silent server.
  void expireWaiting() {
    const auto now = Clock::now();
    for (auto& queue : waiting_) {
      for (auto it = queue.begin(); it != queue.end();) {
        if (now - it->askedAt < idleLimit(it->request)) {
          ++it;
          continue;
        }
        auto expired = std::move(*it);
        it = queue.erase(it);
        if (expired.request.lane == Lane::telemetry && expired.request.body)
          waitingTelemetryBytes_ -= expired.request.body->size();
        expired.completion(HttpResult{std::nullopt, std::nullopt,
                                      TransportError{Code::timeout, "No connection became free in time."}});
      }
    }
  }

  // The limit is on silence, not on the whole exchange: an answer that keeps coming, however
  // slowly, is never cut.
  void expireSilent() {
    const auto now = Clock::now();
    for (auto it = active_.begin(); it != active_.end();) {
      if (now - it->second.transfer->lastActivity() < it->second.idleLimit) {
        ++it;
        continue;
      }
      auto silent = std::move(it->second);
      it = active_.erase(it);
      release(silent);
      curl_multi_remove_handle(multi_, silent.transfer->handle());
      silent.transfer->complete(HttpResult{
          std::nullopt, std::nullopt,
          TransportError{Code::timeout,
                         "Nothing arrived for " + std::to_string(silent.idleLimit.count()) + " s."}});
    }
  }

  void release(const Active& active) {
    if (active.lane == Lane::telemetry) {
      --telemetryInFlight_;
    } else if (--serviceInFlight_[active.origin] == 0) {
      serviceInFlight_.erase(active.origin);
    }
  }

  void startWhatFits() {
    auto& service = waiting(Lane::service);
    for (auto it = service.begin(); it != service.end();) {
      const auto inFlight = serviceInFlight_.find(it->origin);
      if (inFlight != serviceInFlight_.end() && inFlight->second >= maxConnectionsPerHost) {
        ++it;
        continue;
      }
      auto next = std::move(*it);
      it = service.erase(it);
      start(std::move(next));
    }
    auto& telemetry = waiting(Lane::telemetry);
    while (!telemetry.empty() && telemetryInFlight_ < options_.telemetryConnections)
      start(takeFront(telemetry));
  }

  // Wakes up in time to expire the first request whose limit runs out.
  int pollTimeoutMs() const {
    auto timeout = std::chrono::milliseconds{1000};
    const auto now = Clock::now();
    auto until = [&](Clock::time_point deadline) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
      timeout = std::clamp(left, std::chrono::milliseconds{0}, timeout);
    };
    for (const auto& queue : waiting_) {
      for (const auto& pending : queue) until(pending.askedAt + idleLimit(pending.request));
    }
    for (const auto& [handle, active] : active_) until(active.transfer->lastActivity() + active.idleLimit);
    return static_cast<int>(timeout.count());
  }

  void start(Pending pending) {
    auto transfer = std::make_unique<CurlTransfer>(std::move(pending.completion), pending.askedAt);
    if (auto error = transfer->prepare(pending.request, pending.url, limits_)) {
      transfer->complete(HttpResult{std::nullopt, std::nullopt, std::move(*error)});
      return;
    }
    if (curl_multi_add_handle(multi_, transfer->handle()) != CURLM_OK) {
      transfer->complete(HttpResult{std::nullopt, std::nullopt,
                                    TransportError{Code::other, "Could not start the transfer."}});
      return;
    }
    const auto lane = pending.request.lane;
    if (lane == Lane::telemetry) {
      ++telemetryInFlight_;
    } else {
      ++serviceInFlight_[pending.origin];
    }
    CURL* handle = transfer->handle();
    active_.emplace(handle,
                    Active{std::move(transfer), lane, std::move(pending.origin), idleLimit(pending.request)});
  }

  // Whether any exchange finished, making room for a waiting one.
  bool finishDone() {
    bool finished = false;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      auto found = active_.find(message->easy_handle);
      if (found == active_.end()) continue;
      auto active = std::move(found->second);
      active_.erase(found);
      release(active);
      finished = true;
      curl_multi_remove_handle(multi_, active.transfer->handle());
      active.transfer->complete(active.transfer->result(message->data.result));
    }
    return finished;
  }

  // Completes what is queued, including what those completions queue, then refuses more.
  void failEverything(const TransportError& error) {
    while (true) {
      std::vector<Pending> arrived;
      {
        std::lock_guard lock(mutex_);
        if (incoming_.empty()) {
          closed_ = true;
          return;
        }
        arrived.swap(incoming_);
      }
      for (auto& pending : arrived) pending.completion(HttpResult{std::nullopt, std::nullopt, error});
    }
  }

  const Options options_;
  const CurlTransferLimits limits_;
  const std::map<std::string, std::string> overrides_;
  CURLM* const multi_;
  std::mutex mutex_;
  std::vector<Pending> incoming_;
  bool stopping_ = false;
  bool closed_ = false;
  // Worker thread only.
  std::unordered_map<CURL*, Active> active_;
  std::array<std::deque<Pending>, 2> waiting_;  // service, telemetry
  std::size_t waitingTelemetryBytes_ = 0;
  std::map<std::string, long> serviceInFlight_;
  std::size_t telemetryInFlight_ = 0;
};

CurlHttpSession::CurlHttpSession() : CurlHttpSession(Options{}) {}

CurlHttpSession::CurlHttpSession(Options options) : options_(std::move(options)) {}

CurlHttpSession::~CurlHttpSession() {
  std::shared_ptr<Worker> worker;
  {
    std::lock_guard lock(mutex_);
    worker = worker_;
  }
  if (!worker) return;
  // Not under the lock: completions of the cancelled exchanges may still call send().
  worker->stop();
  // A completion that drops the last reference ends up here on the worker itself; that thread
  // holds the worker alive and winds it down on its own.
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void CurlHttpSession::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  std::shared_ptr<Worker> worker;
  {
    std::lock_guard lock(mutex_);
    if (!worker_) {
      worker_ = std::make_shared<Worker>(options_);
      thread_ = std::thread([running = worker_] { running->run(); });
    }
    worker = worker_;
  }
  worker->enqueue(std::move(request), std::move(completion));
}

}  // namespace orvane
