#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvane::testing {

// An HTTP proxy on 127.0.0.1 and an ephemeral port. CONNECT tunnels to 127.0.0.1 at the port
// asked for, whatever the host, so a test can use names that resolve nowhere; a request in
// absolute form ("GET http://host/path") is answered by the proxy itself with "proxied /path".
// With credentials set, requests without them get 407. It records every request line and
// Proxy-Authorization header, and stops when destroyed or after `lifetime`.
class LocalProxy {
 public:
  explicit LocalProxy(std::string credentials = {}, std::chrono::seconds lifetime = std::chrono::seconds(20));
  ~LocalProxy();

  LocalProxy(const LocalProxy&) = delete;
  LocalProxy& operator=(const LocalProxy&) = delete;

  int port() const { return port_; }
  // "CONNECT stories.example:443", "GET http://stories.example/a".
  std::vector<std::string> requestLines() const;
  // The decoded "user:password" of each request that sent any.
  std::vector<std::string> credentialsSeen() const;

 private:
  void accept();
  void serve(int client);
  bool tunnel(int client, int port);
  bool stopped() const;

  std::string credentials_;
  std::chrono::steady_clock::time_point deadline_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requestLines_;
  std::vector<std::string> credentialsSeen_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

}  // namespace orvane::testing
