#include <orvane/platform/curl_http_session.h>

#include <orvane/platform/ascii_text.h>

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <optional>
#include <stop_token>
#include <string>
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

HttpResult failed(Code code, std::string message) {
  return HttpResult{std::nullopt, std::nullopt, TransportError{code, std::move(message)}};
}

HttpResult sessionClosed() { return failed(Code::cancelled, "The session was closed."); }

// Interrupts the worker's wait, so a cancelled request leaves at once rather than at the next tick.
struct WakeWorker {
  CURLM* multi;
  void operator()() const { curl_multi_wakeup(multi); }
};
using WakeOnCancel = std::unique_ptr<std::stop_callback<WakeWorker>>;

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
        incoming_.push_back({std::move(request), std::move(completion), Clock::now(), {}, {}, {}});
        if (multi_ != nullptr) curl_multi_wakeup(multi_);
        return;
      }
    }
    completion(sessionClosed());
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
      const auto now = Clock::now();
      endWaiting([&](const Pending& pending) { return waitingVerdict(pending, now); });
      endActive([&](Active& active) { return activeVerdict(active, now); });
      startWhatFits();
      int running = 0;
      curl_multi_perform(multi_, &running);
      const bool freedTurns = finishDone();
      const bool othersWait =
          std::any_of(waiting_.begin(), waiting_.end(), [](const auto& queue) { return !queue.empty(); });
      // Returns early for curl's own timers, socket activity and curl_multi_wakeup.
      curl_multi_poll(multi_, nullptr, 0, freedTurns && othersWait ? 0 : pollTimeoutMs(), nullptr);
    }
    for (auto& [handle, active] : active_) {
      curl_multi_remove_handle(multi_, handle);
      active.transfer->complete(sessionClosed());
    }
    active_.clear();
    for (auto& lane : waiting_) {
      for (auto& pending : lane) pending.completion(sessionClosed());
      lane.clear();
    }
    failEverything(*sessionClosed().error);
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
    WakeOnCancel wakeOnCancel;
  };

  struct Active {
    std::unique_ptr<CurlTransfer> transfer;
    Lane lane;
    std::string origin;
    std::chrono::seconds idleLimit;
    WakeOnCancel wakeOnCancel;
    // Media only: where the current window of the minimum rate began.
    Clock::time_point windowStart;
    std::size_t receivedAtWindowStart = 0;
  };

  static std::size_t index(Lane lane) { return static_cast<std::size_t>(lane); }
  std::deque<Pending>& waiting(Lane lane) { return waiting_[index(lane)]; }

  std::chrono::seconds idleLimit(const HttpRequest& request) const {
    return std::max(std::chrono::seconds{1}, options_.idleTimeout.value_or(request.timeout));
  }

  // How a request still waiting for its turn ends now, if it does: one whose limit runs out fails
  // like a silent server.
  std::optional<HttpResult> waitingVerdict(const Pending& pending, Clock::time_point now) const {
    if (pending.request.cancellation.stop_requested())
      return failed(Code::cancelled, "The request was cancelled.");
    if (now - pending.askedAt >= idleLimit(pending.request))
      return failed(Code::timeout, "No connection became free in time.");
    return std::nullopt;
  }

  // How a running exchange ends now, if it does. The idle limit is on silence, not on the whole
  // exchange: an answer that keeps coming is cut only by the minimum rate, and only media.
  std::optional<HttpResult> activeVerdict(Active& active, Clock::time_point now) const {
    if (active.transfer->cancelled()) return failed(Code::cancelled, "The request was cancelled.");
    if (now - active.transfer->lastActivity() >= active.idleLimit)
      return failed(Code::timeout, "Nothing arrived for " + std::to_string(active.idleLimit.count()) + " s.");
    return slownessCut(active, now);
  }

  std::optional<HttpResult> slownessCut(Active& active, Clock::time_point now) const {
    const auto& minimum = options_.minimumMediaRate;
    if (active.lane != Lane::media || now - active.windowStart < minimum.window) return std::nullopt;
    const auto received = active.transfer->receivedBytes() - active.receivedAtWindowStart;
    if (received >= requiredPerWindow()) {
      active.windowStart = now;
      active.receivedAtWindowStart = active.transfer->receivedBytes();
      return std::nullopt;
    }
    return failed(Code::timeout, "Only " + std::to_string(received) + " bytes arrived in " +
                                     std::to_string(minimum.window.count()) + " ms, below the minimum of " +
                                     std::to_string(minimum.bytesPerSecond) + " bytes/s.");
  }

  std::size_t requiredPerWindow() const {
    const auto& minimum = options_.minimumMediaRate;
    return static_cast<std::size_t>(static_cast<double>(minimum.bytesPerSecond) *
                                    std::chrono::duration<double>(minimum.window).count());
  }

  void admit(Pending pending) {
    pending.url = applyingOverrides(pending.request.url.string(), overrides_);
    pending.origin = asciiLowercased(pending.url.substr(0, originLength(pending.url)));
    if (pending.request.cancellation.stop_possible())
      pending.wakeOnCancel =
          std::make_unique<std::stop_callback<WakeWorker>>(pending.request.cancellation, WakeWorker{multi_});
    const auto lane = pending.request.lane;
    if (lane == Lane::telemetry)
      waitingTelemetryBytes_ += pending.request.body ? pending.request.body->size() : 0;
    waiting(lane).push_back(std::move(pending));
    if (lane != Lane::telemetry) return;
    auto& queue = waiting(Lane::telemetry);
    while (!queue.empty() && (queue.size() > options_.telemetryQueueLength ||
                              waitingTelemetryBytes_ > options_.telemetryQueueBytes)) {
      auto dropped = takeFront(queue);
      dropped.completion(failed(Code::cancelled, "Dropped: too many reports were waiting."));
    }
  }

  Pending takeFront(std::deque<Pending>& queue) {
    Pending front = std::move(queue.front());
    queue.pop_front();
    forgetWaiting(front);
    return front;
  }

  void forgetWaiting(const Pending& pending) {
    if (pending.request.lane == Lane::telemetry && pending.request.body)
      waitingTelemetryBytes_ -= pending.request.body->size();
  }

  // Completes, with what `verdict` gives, each waiting request it gives anything for.
  template <typename Verdict>
  void endWaiting(Verdict verdict) {
    for (auto& queue : waiting_) {
      for (auto it = queue.begin(); it != queue.end();) {
        auto result = verdict(*it);
        if (!result) {
          ++it;
          continue;
        }
        auto ended = std::move(*it);
        it = queue.erase(it);
        forgetWaiting(ended);
        ended.completion(std::move(*result));
      }
    }
  }

  // Ends, with what `verdict` gives, each running exchange it gives anything for.
  template <typename Verdict>
  void endActive(Verdict verdict) {
    for (auto it = active_.begin(); it != active_.end();) {
      auto result = verdict(it->second);
      if (!result) {
        ++it;
        continue;
      }
      auto ended = std::move(it->second);
      it = active_.erase(it);
      release(ended);
      curl_multi_remove_handle(multi_, ended.transfer->handle());
      ended.transfer->complete(std::move(*result));
    }
  }

  void release(const Active& active) {
    if (active.lane == Lane::telemetry) {
      --telemetryInFlight_;
      return;
    }
    auto& perOrigin = inFlightPerOrigin_[index(active.lane)];
    if (--perOrigin[active.origin] == 0) perOrigin.erase(active.origin);
  }

  void startWhatFits() {
    for (auto lane : {Lane::service, Lane::media}) {
      auto& queue = waiting(lane);
      const auto& perOrigin = inFlightPerOrigin_[index(lane)];
      for (auto it = queue.begin(); it != queue.end();) {
        const auto inFlight = perOrigin.find(it->origin);
        if (inFlight != perOrigin.end() && inFlight->second >= maxConnectionsPerHost) {
          ++it;
          continue;
        }
        auto next = std::move(*it);
        it = queue.erase(it);
        start(std::move(next));
      }
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
    for (const auto& [handle, active] : active_) {
      until(active.transfer->lastActivity() + active.idleLimit);
      if (active.lane == Lane::media) until(active.windowStart + options_.minimumMediaRate.window);
    }
    return static_cast<int>(timeout.count());
  }

  void start(Pending pending) {
    auto transfer = std::make_unique<CurlTransfer>(std::move(pending.completion), pending.askedAt);
    const NetworkRoute route = options_.route ? options_.route(pending.url) : NetworkRoute{};
    if (auto error = transfer->prepare(pending.request, pending.url, limits_, route)) {
      transfer->complete(HttpResult{std::nullopt, std::nullopt, std::move(*error)});
      return;
    }
    if (curl_multi_add_handle(multi_, transfer->handle()) != CURLM_OK) {
      transfer->complete(failed(Code::other, "Could not start the transfer."));
      return;
    }
    const auto lane = pending.request.lane;
    if (lane == Lane::telemetry) {
      ++telemetryInFlight_;
    } else {
      ++inFlightPerOrigin_[index(lane)][pending.origin];
    }
    CURL* handle = transfer->handle();
    active_.emplace(handle,
                    Active{std::move(transfer), lane, std::move(pending.origin), idleLimit(pending.request),
                           std::move(pending.wakeOnCancel), Clock::now()});
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
  std::array<std::deque<Pending>, 3> waiting_;  // by lane
  std::size_t waitingTelemetryBytes_ = 0;
  std::array<std::map<std::string, long>, 2> inFlightPerOrigin_;  // service, media
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
