#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <orvane/platform/http.h>

namespace orvane {

// The production transport: libcurl's multi interface driven by one worker thread of its own,
// started by the first request. HTTP/2 where the server offers it, connections reused, TLS peer
// and host verified, only http and https. Completions run on the worker thread.
//
// Requests take turns on two lanes. Service requests (content, votes, media) run at most
// maxConnectionsPerHost at a time per origin; the rest wait in order. Telemetry (fire-and-forget
// reports) runs on a few connections of its own and waits in a bounded queue that drops its oldest
// reports, so a hanging report endpoint never holds up content or votes. A request's idle limit
// counts from the moment it was sent, waiting for its turn included.
class CurlHttpSession final : public HttpSession {
 public:
  // Like a browser: a burst of requests queues for a few reused connections instead of opening a
  // socket each and swamping the server.
  static constexpr long maxConnectionsPerHost = 6;

  struct Options {
    // PEM file of trusted authorities used instead of the system store (e.g. a test's own).
    std::optional<std::string> caBundlePath;
    // A larger answer fails with TransportError::Code::tooLarge instead of filling memory.
    std::size_t maxResponseBytes = std::size_t{32} << 20;  // 32 MiB
    // Origin -> replacement origin, e.g. "https://api.orvane.io" -> "http://127.0.0.1:8080":
    // points a fixed service address at another server without touching the SDK's configuration.
    std::map<std::string, std::string> originOverrides;
    // Replaces every request's own idle limit (HttpRequest::timeout) when set.
    std::optional<std::chrono::seconds> idleTimeout;
    // The telemetry lane: reports in flight at once, and how many reports (or bytes of them) may
    // wait before the oldest waiting one is dropped. Failed reports are never retried anyway.
    std::size_t telemetryConnections = 2;
    std::size_t telemetryQueueLength = 1000;
    std::size_t telemetryQueueBytes = std::size_t{4} << 20;  // 4 MiB
  };

  CurlHttpSession();
  explicit CurlHttpSession(Options options);
  // Stops the worker; exchanges not finished by then complete with TransportError::Code::cancelled.
  ~CurlHttpSession() override;

  CurlHttpSession(const CurlHttpSession&) = delete;
  CurlHttpSession& operator=(const CurlHttpSession&) = delete;

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;

 private:
  class Worker;

  Options options_;
  std::mutex mutex_;
  std::shared_ptr<Worker> worker_;
  std::thread thread_;
};

}  // namespace orvane
