#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "message.h"

namespace orvane::service::http {

struct RouteLimits {
  // The most body bytes the route takes, counted after de-chunking and decoding; more is a 413.
  std::size_t maxBodyBytes = 0;
};

// Maps a method and path onto a handler. Patterns are literal segments and "{}" placeholders, each
// matching one non-empty segment ("/sdk/v1/apps/{}/placements/{}/stories"). Built before the
// server starts, read-only afterwards.
class Router {
 public:
  using Handler = std::function<Response(Request&)>;

  struct Route {
    std::string method;
    std::string pattern;
    std::string name;  // the route's label in metrics and the access log, e.g. "stories"
    RouteLimits limits;
    Handler handler;
  };

  void add(std::string method, std::string pattern, std::string name, RouteLimits limits, Handler handler);

  struct Match {
    const Route* route = nullptr;           // null: no route for this method and path
    bool pathKnown = false;                 // a route has this path under another method (405)
    std::vector<std::string> parameters;    // decoded placeholder segments
  };
  Match match(std::string_view method, std::string_view path) const;

 private:
  std::vector<Route> routes_;
};

}  // namespace orvane::service::http
