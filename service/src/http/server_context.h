#pragma once

#include <atomic>
#include <cstddef>
#include <unordered_set>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/thread_pool.hpp>

#include "router.h"
#include "server.h"

namespace orvane::service::http {

class RequestTally;
struct EventLoop;

// What every connection of one server shares.
struct ServerContext {
  const Router& router;
  const ServerOptions& options;
  boost::asio::thread_pool& workers;
  boost::asio::thread_pool& background;  // background routes' handlers
  std::atomic<bool> stopping{false};
  std::atomic<std::size_t> connections{0};
  std::atomic<std::size_t> answersInFlight{0};  // requests read and not yet answered in full

  // Connections are read on the foreground loops, taken in turn; one whose last request went to a
  // background route moves to the background loop, which runs at the background threads' lower
  // priority, so a flood of such requests is read and parsed where it cannot delay other answers.
  std::vector<EventLoop*> foregroundLoops;
  EventLoop* backgroundLoop = nullptr;
  std::atomic<std::size_t> nextForegroundLoop{0};

  EventLoop& takeForegroundLoop() { return *foregroundLoops[nextForegroundLoop++ % foregroundLoops.size()]; }
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
  explicit EventLoop(bool isBackground = false) : background(isBackground) {}

  const bool background;
  RequestTally* tally = nullptr;  // where its answers are counted, if anywhere
  std::unordered_set<LoopConnection*> connections;
  boost::asio::io_context context{1};
};

}  // namespace orvane::service::http
