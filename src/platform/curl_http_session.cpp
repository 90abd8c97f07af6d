#include "platform/curl_http_session.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <vector>

#include "platform/curl_transfer.h"

namespace orvane {
namespace {

using Code = TransportError::Code;

// Once per process, before any other curl call; a function-local static is initialised
// exactly once even when several sessions start at the same time.
bool curlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
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
    normalised[lowercased(withoutTrailingSlash(origin))] = withoutTrailingSlash(replacement);
  return normalised;
}

std::string applyingOverrides(const std::string& url, const std::map<std::string, std::string>& overrides) {
  const auto length = originLength(url);
  if (length == 0) return url;
  auto found = overrides.find(lowercased(url.substr(0, length)));
  return found == overrides.end() ? url : found->second + url.substr(length);
}

HttpResult cancelled() {
  return HttpResult{std::nullopt, std::nullopt, TransportError{Code::cancelled, "The session was closed."}};
}

}  // namespace

class CurlHttpSession::Worker {
 public:
  explicit Worker(const Options& options)
      : limits_{options.caBundlePath, options.maxResponseBytes},
        overrides_(normalisedOverrides(options.originOverrides)),
        multi_(curlReady() ? curl_multi_init() : nullptr) {
    if (multi_ != nullptr) curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, maxConnectionsPerHost);
  }

  ~Worker() {
    if (multi_ != nullptr) curl_multi_cleanup(multi_);
  }

  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void enqueue(HttpRequest request, std::function<void(HttpResult)> completion) {
    {
      std::lock_guard lock(mutex_);
      if (!closed_) {
        incoming_.push_back({std::move(request), std::move(completion)});
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
      for (auto& pending : arrived) start(std::move(pending));
      int running = 0;
      curl_multi_perform(multi_, &running);
      finishDone();
      // Returns early for curl's own timers, socket activity and curl_multi_wakeup.
      curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
    }
    for (auto& [handle, transfer] : active_) {
      curl_multi_remove_handle(multi_, handle);
      transfer->complete(cancelled());
    }
    active_.clear();
    failEverything(*cancelled().error);
  }

 private:
  struct Pending {
    HttpRequest request;
    std::function<void(HttpResult)> completion;
  };

  void start(Pending pending) {
    auto transfer = std::make_unique<CurlTransfer>(std::move(pending.completion));
    auto url = applyingOverrides(pending.request.url.string(), overrides_);
    if (auto error = transfer->prepare(pending.request, url, limits_)) {
      transfer->complete(HttpResult{std::nullopt, std::nullopt, std::move(*error)});
      return;
    }
    if (curl_multi_add_handle(multi_, transfer->handle()) != CURLM_OK) {
      transfer->complete(HttpResult{std::nullopt, std::nullopt, TransportError{Code::other, "Could not start the transfer."}});
      return;
    }
    active_.emplace(transfer->handle(), std::move(transfer));
  }

  void finishDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      auto found = active_.find(message->easy_handle);
      if (found == active_.end()) continue;
      auto transfer = std::move(found->second);
      active_.erase(found);
      curl_multi_remove_handle(multi_, transfer->handle());
      transfer->complete(transfer->result(message->data.result));
    }
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

  const CurlTransferLimits limits_;
  const std::map<std::string, std::string> overrides_;
  CURLM* const multi_;
  std::mutex mutex_;
  std::vector<Pending> incoming_;
  bool stopping_ = false;
  bool closed_ = false;
  std::unordered_map<CURL*, std::unique_ptr<CurlTransfer>> active_;  // worker thread only
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
