#pragma once

#include <atomic>
#include <cstddef>
#include <unordered_set>

#include <boost/asio/io_context.hpp>
#include <boost/asio/thread_pool.hpp>

#include "router.h"
#include "server.h"

namespace orvane::service::http {

class Metrics;

// What every connection of one server shares.
struct ServerContext {
  const Router& router;
  const ServerOptions& options;
  Metrics* metrics;
  boost::asio::thread_pool& workers;
  boost::asio::thread_pool& background;  // background routes' handlers
  std::atomic<bool> stopping{false};
  std::atomic<std::size_t> connections{0};
  std::atomic<std::size_t> answersInFlight{0};  // requests read and not yet answered in full
};

// A connection as its event loop knows it, so stopping can close the idle ones.
class LoopConnection {
 public:
  virtual void closeIfIdle() = 0;

 protected:
  ~LoopConnection() = default;
};

// One event loop and the connections it holds; the set is touched on the loop's thread only (or
// after it has been joined).
struct EventLoop {
  std::unordered_set<LoopConnection*> connections;
  boost::asio::io_context context{1};
};

}  // namespace orvane::service::http
