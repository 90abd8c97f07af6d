#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "router.h"
#include "trusted_proxies.h"

namespace orvane::service::http {

class Metrics;

struct AccessRecord {
  std::string method;
  std::string route;        // the route's name, or "unmatched"
  std::string path;         // as requested, without the query
  int status = 0;
  std::uint64_t bytesSent = 0;
  std::chrono::microseconds duration{0};
  std::string clientAddress;
};

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 0;                                        // 0: any free port
  unsigned ioThreads = 1;                              // event loops holding the connections (one more,
                                                       // at a lower priority, holds background routes')
  unsigned workerThreads = 4;                          // handlers run here, never on an event loop
  unsigned backgroundThreads = 1;                      // background routes' handlers, at a lower CPU priority
  std::chrono::milliseconds headerTimeout{10'000};     // a request's headers must arrive within it
  std::chrono::milliseconds bodyTimeout{30'000};       // and its body within this after them
  std::chrono::milliseconds idleTimeout{60'000};       // keep-alive connections idle longer are closed
  std::chrono::milliseconds writeTimeout{60'000};      // an answer the client stops taking for this long is cut
  std::size_t maxHeaderBytes = 16 * 1024;
  std::size_t maxConnections = 10'000;
  // Both set: HTTPS with this PEM certificate chain and private key.
  std::optional<std::filesystem::path> certificatePath;
  std::optional<std::filesystem::path> privateKeyPath;
  // Called once per answered request, on a worker thread, after the answer was written.
  std::function<void(const AccessRecord&)> accessLog;
  // Every request read in full passes here, on a worker thread, before its route's handler and
  // before a 404 or 405; an answer given stops it (e.g. 503 while down). Requests refused while
  // being read (400, 413, 415, 431, a body sent to no route) are answered without it.
  std::function<std::optional<Response>(const Request&)> gate;
  // Load balancers whose X-Forwarded-For names the client (Request::clientAddress, the access log).
  TrustedProxies trustedProxies;
};

// An HTTP/1.1 server: keep-alive connections held by event loops without a thread each; handlers
// on a worker pool, so a slow client or a slow handler never holds up another request.
class Server {
 public:
  Server(const Router& router, ServerOptions options, Metrics* metrics = nullptr);
  ~Server();

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and starts answering; returns the bound port. Throws std::runtime_error saying why.
  int start();
  // Stops accepting, closes idle connections, lets answers in flight finish and be written (for at
  // most `grace`), then closes every connection and joins the threads. A handler still running
  // then is waited for, its answer dropped. Safe to call twice; the destructor calls it.
  void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(5'000));

  int port() const;
  // "http://127.0.0.1:<port>", https under TLS; an IPv6 host in brackets.
  std::string origin() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvane::service::http
