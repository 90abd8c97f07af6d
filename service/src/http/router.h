#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message.h"

namespace orvane::service::http {

struct RouteLimits {
  // The most body bytes the route takes, counted after de-chunking and decoding; more is a 413.
  std::size_t maxBodyBytes = 0;
  // Work that may wait (event posts, say): handled on the server's background threads, which
  // yield the cores to every other answer, so a flood of it hardly slows them down.
  bool background = false;
};

// Maps a method and path onto a handler. Patterns are literal segments and "{}" placeholders, each
// matching one non-empty segment ("/sdk/v1/apps/{}/placements/{}/stories"). Built before the
// server starts, read-only afterwards.
class Router {
 public:
  using Handler = std::function<Response(Request&)>;
  // Answers from memory on the event loop, without blocking, or declines (nullopt) and the
  // request goes on to the route's handler on a worker. Skips two thread hops per request.
  using MemoryHandler = std::function<std::optional<Response>(const Request&)>;

  struct Route {
    std::string method;
    std::string pattern;
    std::string name;  // the route's label in metrics and the access log, e.g. "stories"
    RouteLimits limits;
    Handler handler;
    MemoryHandler fromMemory;  // may be empty
  };

  void add(std::string method, std::string pattern, std::string name, RouteLimits limits, Handler handler,
           MemoryHandler fromMemory = {});

  struct Match {
    const Route* route = nullptr;           // null: no route for this method and path
    bool pathKnown = false;                 // a route has this path under another method (405)
    std::vector<std::string> parameters;    // decoded placeholder segments
  };
  // `path` as it came on the wire (still percent-encoded, without the query): it is split into
  // segments first, then each is decoded. A path unsafe to decode matches nothing.
  Match match(std::string_view method, std::string_view path) const;
  // The same on segments already decoded.
  Match match(std::string_view method, const std::vector<std::string>& segments) const;

  // The Allow header's value for a path: its routes' methods (HEAD with GET).
  std::string allowedMethods(const std::vector<std::string>& segments) const;

 private:
  std::vector<Route> routes_;
  std::vector<std::vector<std::string>> patterns_;  // routes_[i]'s pattern split into segments
};

}  // namespace orvane::service::http
