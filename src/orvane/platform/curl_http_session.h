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
#include <orvane/platform/network_route.h>

namespace orvane {

// The production transport: libcurl's multi interface driven by one worker thread of its own,
// started by the first request. HTTP/2 where the server offers it, connections reused, TLS peer
// and host verified, only http and https. Completions run on the worker thread.
//
// Requests take turns on three lanes, each with connections of its own. Service requests (content
// and votes) and media downloads (pictures and videos) each run at most maxConnectionsPerHost at a
// time per origin, the rest waiting in order, so media however slow never holds up content or
// votes. Telemetry (fire-and-forget reports) runs on a few connections and waits in a bounded
// queue that drops its oldest reports. A request's idle limit counts from the moment it was sent,
// waiting for its turn included; a media download is also cut when it falls below a minimum
// rate; a cancelled request (HttpRequest::cancellation) leaves at once.
class CurlHttpSession final : public HttpSession {
 public:
  // Per lane, like a browser: a burst of requests queues for a few reused connections instead of
  // opening a socket each and swamping the server.
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
    // A media download that brings fewer than bytesPerSecond over a window (counted from when its
    // connection was given, then window after window) fails with TransportError::Code::timeout. At
    // 1 KiB/s a picture of a few hundred KiB takes minutes, which nobody waits for; 15 s rides out
    // a stall such as a network handover or TCP's retransmission back-off.
    struct MinimumRate {
      std::size_t bytesPerSecond = 1024;
      std::chrono::milliseconds window{15'000};
    };
    MinimumRate minimumMediaRate;
    // Each request's proxy and trusted authorities, asked with the URL it goes to (overrides
    // applied) on the session's thread, just before it starts: quick, thread-safe, not throwing.
    // Unset: libcurl's defaults. caBundlePath applies where it names no authorities.
    std::function<NetworkRoute(const std::string& url)> route;
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
