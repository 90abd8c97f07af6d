#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/http.h"

namespace orvane {

// The production transport: libcurl's multi interface driven by one worker thread of its own,
// started by the first request. HTTP/2 where the server offers it, connections reused, TLS peer
// and host verified, only http and https. Completions run on the worker thread.
class CurlHttpSession final : public HttpSession {
 public:
  // Like a browser: a burst of requests (a thousand event posts, say) queues for a few reused
  // connections instead of opening a socket each and swamping the server.
  static constexpr long maxConnectionsPerHost = 6;

  struct Options {
    // PEM file of trusted authorities used instead of the system store (e.g. a test's own).
    std::optional<std::string> caBundlePath;
    // A larger answer fails with TransportError::Code::tooLarge instead of filling memory.
    std::size_t maxResponseBytes = std::size_t{32} << 20;  // 32 MiB
    // Origin -> replacement origin, e.g. "https://api.orvane.io" -> "http://127.0.0.1:8080":
    // points a fixed service address at another server without touching the SDK's configuration.
    std::map<std::string, std::string> originOverrides;
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
