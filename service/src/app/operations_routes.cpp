#include "operations_routes.h"

#include "sdk_keys.h"

namespace orvane::service::app {

bool hasAdminToken(const http::Request& request, const std::string& token) {
  constexpr std::string_view kScheme = "Bearer ";
  const auto authorization = request.header("Authorization");
  if (authorization.size() <= kScheme.size() || authorization.substr(0, kScheme.size()) != kScheme) return false;
  return sameSecret(authorization.substr(kScheme.size()), token);
}

void addOperationsRoutes(http::Router& router, storage::Store& store, const http::Metrics& metrics,
                         std::optional<std::string> adminToken) {
  router.add("GET", "/healthz", "healthz", {}, [](http::Request&) {
    return http::Response::json(200, {{"status", "ok"}});
  });
  router.add("GET", "/readyz", "readyz", {}, [&store](http::Request&) {
    bool reachable = false;
    try {
      reachable = store.reachable();
    } catch (const std::exception&) {
      reachable = false;
    }
    return reachable ? http::Response::json(200, {{"status", "ready"}})
                     : http::Response::error(503, "The database is not reachable.");
  });
  if (!adminToken || adminToken->empty()) return;
  router.add("GET", "/metrics", "metrics", {}, [&metrics, token = *adminToken](http::Request& request) {
    if (!hasAdminToken(request, token)) {
      auto refusal = http::Response::error(401, "The admin token is needed.");
      refusal.headers["WWW-Authenticate"] = "Bearer";
      return refusal;
    }
    http::Response answer;
    answer.headers["Content-Type"] = "text/plain; version=0.0.4; charset=utf-8";
    answer.body = metrics.render();
    return answer;
  });
}

}  // namespace orvane::service::app
