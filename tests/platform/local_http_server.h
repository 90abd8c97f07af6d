#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace orvane::testing {

// A cpp-httplib server on 127.0.0.1 and an ephemeral port, for exercising the real transport.
// It stops when destroyed, and on its own after `lifetime` should a test hang.
class LocalHttpServer {
 public:
  explicit LocalHttpServer(std::unique_ptr<httplib::Server> server = std::make_unique<httplib::Server>(),
                           std::chrono::seconds lifetime = std::chrono::seconds(30))
      : server_(std::move(server)), lifetime_(lifetime) {}

  ~LocalHttpServer() { stop(); }

  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  httplib::Server& routes() { return *server_; }

  void start() {
    // Without it, small answers on a reused connection wait out the peer's delayed ACK.
    server_->set_tcp_nodelay(true);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("could not bind a local test server");
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() is ignored by a server that is not yet listening.
    for (int waited = 0; !server_->is_running() && waited < 5000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    watchdog_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      if (!stopCondition_.wait_for(lock, lifetime_, [this] { return stopping_; })) server_->stop();
    });
  }

  void stop() {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      stopping_ = true;
    }
    stopCondition_.notify_all();
    server_->stop();
    if (listener_.joinable()) listener_.join();
    if (watchdog_.joinable()) watchdog_.join();
  }

  int port() const { return port_; }
  std::string origin(const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_);
  }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::chrono::seconds lifetime_;
  int port_ = 0;
  std::thread listener_;
  std::thread watchdog_;
  std::mutex mutex_;
  std::condition_variable stopCondition_;
  bool stopping_ = false;
};

}  // namespace orvane::testing
